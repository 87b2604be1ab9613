// MainWindow and AboutWindow as real widgets on the offscreen platform.
// Messages are answered through ShowMessage's queue of next answers, except
// where a test answers a real QMessageBox.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include "app/about_window.h"
#include "app/clipboard.h"
#include "app/connectivity.h"
#include "app/count_box.h"
#include "app/main_window.h"
#include "app/messages.h"
#include "app/qt_text.h"
#include "support/raw_server.h"
#include "support/text_support.h"

namespace quotidia {
namespace {

// Runs `check` as soon as the next nested event loop (a modal box or window)
// is running, then lets the caller's blocking call return.
void WhenModalOpens(std::function<void(QWidget*)> check) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            check(modal);
        }
    });
    timer->start();
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        probe.Respond("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
        SetConnectivityProbeForTesting(probe.Url("/connecttest.txt"));
        TakeShownMessagesForTesting();
        window = new MainWindow();
        window->OnMainWindowCreated();
        window->CenterOnScreen();
        window->show();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    void TearDown() override {
        QueueMessageAnswersForTesting({});
        SetClipboardFailsForTesting(false);
        delete window.data();
    }

    template <typename T>
    T* Find(const char* name) const {
        return window->findChild<T*>(name);
    }

    void AddRow(const QString& sentence, const QString& category) {
        int row = window->list->rowCount();
        window->list->insertRow(row);
        window->list->setItem(row, 0, new QTableWidgetItem(sentence));
        window->list->setItem(row, 1, new QTableWidgetItem(category));
    }

    static std::vector<std::pair<QString, int>> Messages() {
        std::vector<std::pair<QString, int>> out;
        for (const auto& m : TakeShownMessagesForTesting()) out.emplace_back(m.text, m.style);
        return out;
    }

    RawServer probe;
    QPointer<MainWindow> window;
};

using Message = std::pair<QString, int>;

TEST_F(MainWindowTest, StartState) {
    struct Case {
        const char* name;
        QRect geometry;
        QString text;
        bool enabled;
    };
    const Case cases[] = {
        {"超级列表框1", {3, 3, 401, 177}, "", true},
        {"分组框1", {412, 3, 180, 80}, "类型", true},
        {"单选框_动漫", {10, 15, 48, 24}, "动漫", true},
        {"单选框_漫画", {66, 15, 48, 24}, "漫画", true},
        {"单选框_游戏", {120, 15, 48, 24}, "游戏", true},
        {"单选框_文学", {10, 33, 48, 24}, "文学", true},
        {"单选框_原创", {66, 33, 48, 24}, "原创", true},
        {"单选框_网络", {120, 33, 48, 24}, "网络", true},
        {"单选框_影视", {10, 53, 48, 24}, "影视", true},
        {"单选框_诗词", {66, 53, 48, 24}, "诗词", true},
        {"单选框_哲学", {120, 53, 48, 24}, "哲学", true},
        {"分组框2", {432, 91, 140, 48}, "数量(循环)", true},
        {"选择框1", {16, 20, 34, 16}, "", true},
        {"编辑框1", {34, 15, 56, 24}, "10", false},
        {"编辑框1_箭头", {90, 15, 18, 24}, "", false},
        {"按钮1", {452, 148, 96, 26}, "获 取", true},
    };
    for (const auto& c : cases) {
        QWidget* w = Find<QWidget>(c.name);
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->geometry(), c.geometry) << c.name;
        EXPECT_EQ(w->isEnabled(), c.enabled) << c.name;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
        if (auto* e = qobject_cast<QLineEdit*>(w)) text = e->text();
        EXPECT_EQ(text, c.text) << c.name;
    }
    EXPECT_EQ(window->windowTitle(), "Quotidia");
    EXPECT_EQ(window->centralWidget()->size(), QSize(599, 187));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the frame is fixed";
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->windowIcon().isNull());
    const QPoint screenCentre = window->screen()->availableGeometry().center();
    EXPECT_LE((window->frameGeometry().center() - screenCentre).manhattanLength(), 2)
        << "frame " << window->frameGeometry().x() << "," << window->frameGeometry().y() << " "
        << window->frameGeometry().width() << "x" << window->frameGeometry().height();

    for (QRadioButton* b : window->categoryButtons) EXPECT_EQ(b->isChecked(), b->text() == "哲学") << b->text().toStdString();
    EXPECT_FALSE(window->loopBox->isChecked());
    EXPECT_EQ(Find<QGroupBox>("分组框1")->font().pixelSize(), 14);
    EXPECT_EQ(window->countBox->font().pixelSize(), 14);
    EXPECT_FALSE(window->fetchButton->isDefault());
    EXPECT_FALSE(window->fetchButton->autoDefault());

    QTableWidget* list = window->list;
    EXPECT_EQ(list->rowCount(), 0);
    ASSERT_EQ(list->columnCount(), 2);
    EXPECT_EQ(list->horizontalHeaderItem(0)->text(), "句子");
    EXPECT_EQ(list->horizontalHeaderItem(1)->text(), "类型");
    EXPECT_EQ(list->columnWidth(0), 330);
    EXPECT_EQ(list->columnWidth(1), 50);
    EXPECT_TRUE(list->showGrid());
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);

    QStringList menus;
    for (QAction* a : window->menuBar()->actions()) {
        menus << a->text();
        for (QAction* item : a->menu()->actions()) {
            menus << item->text();
            EXPECT_TRUE(item->shortcut().isEmpty());
        }
    }
    EXPECT_EQ(menus, QStringList({"菜单", "退出", "帮助", "关于", "软件帮助"}));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MainWindowTest, LoopBoxEnablesTheCountBoxAndItsArrows) {
    for (bool ticked : {true, false, true}) {
        // As the window system delivers a click, the way the modality test
        // below clicks too.
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, window->loopBox->mapTo(window, QPoint(6, 8)));
        EXPECT_EQ(window->loopBox->isChecked(), ticked);
        EXPECT_EQ(window->countBox->isEnabled(), ticked);
        EXPECT_EQ(window->countArrows->isEnabled(), ticked);
    }
}

TEST_F(MainWindowTest, CountBoxFiltersTypedCharactersOnly) {
    QTest::mouseClick(window->loopBox, Qt::LeftButton, {}, QPoint(6, 8));
    struct Case {
        const char* name;
        QString typed;
        QString want;
    };
    const Case cases[] = {
        {"letter ignored", "a", "10"},
        {"dot ignored", ".", "10"},
        {"space ignored", " ", "10"},
        {"minus accepted", "-", "10-"},
        {"digits accepted", "42", "1042"},
        {"mixed keeps the digits", "x7y", "107"},
    };
    for (const auto& c : cases) {
        window->countBox->setText("10");
        window->countBox->setCursorPosition(2);
        QTest::keyClicks(window->countBox, c.typed);
        EXPECT_EQ(window->countBox->text(), c.want) << c.name;
    }
    window->countBox->setText("1");
    window->countBox->setCursorPosition(0);
    QTest::keyClick(window->countBox, Qt::Key_Delete);
    EXPECT_EQ(window->countBox->text(), "") << "control keys pass";

    QApplication::clipboard()->setText("abc");
    window->countBox->paste();
    EXPECT_EQ(window->countBox->text(), "abc") << "pasted text is not filtered";
}

TEST_F(MainWindowTest, SpinArrows) {
    QTest::mouseClick(window->loopBox, Qt::LeftButton, {}, QPoint(6, 8));
    struct Case {
        QString start;
        bool up;
        QString want;
    };
    const Case cases[] = {
        {"10", true, "11"}, {"100", true, "0"},  {"0", false, "100"}, {"abc", true, "1"},
        {"-5", true, "0"},  {"500", false, "100"}, {" 7x", false, "6"}, {"", false, "100"},
    };
    for (const auto& c : cases) {
        window->countBox->setText(c.start);
        window->fetchButton->setFocus();
        auto* arrow = Find<QToolButton>(c.up ? "编辑框1_上" : "编辑框1_下");
        ASSERT_NE(arrow, nullptr);
        QTest::mouseClick(arrow, Qt::LeftButton);
        EXPECT_EQ(window->countBox->text(), c.want) << c.start.toStdString() << (c.up ? " up" : " down");
        EXPECT_EQ(window->countBox->selectedText(), c.want) << "the whole text is selected";
        EXPECT_EQ(QApplication::focusWidget(), window->countBox) << "the box takes the focus";
    }
    EXPECT_EQ(NextSpinValue("2147483647", true), "0") << "no overflow on the way up";
    EXPECT_EQ(NextSpinValue("-2147483648", false), "100");
}

TEST_F(MainWindowTest, EscapeClosesTheWindowWithoutAQuestion) {
    QTest::mouseClick(window->loopBox, Qt::LeftButton, {}, QPoint(6, 8));
    window->countBox->setFocus();
    QTest::keyClick(window->countBox, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MainWindowTest, EnterDoesNothingSpecial) {
    int fetches = 0;
    window->onFetchClicked = [&] { ++fetches; };
    window->list->setFocus();
    QTest::keyClick(window->list, Qt::Key_Return);
    QTest::keyClick(window->loopBox, Qt::Key_Return);
    EXPECT_EQ(fetches, 0);
    QTest::mouseClick(window->fetchButton, Qt::LeftButton);
    EXPECT_EQ(fetches, 1);
}

TEST_F(MainWindowTest, ExitAnsweredNoChangesNothing) {
    QueueMessageAnswersForTesting({kAnswerNo});
    window->OnExitSelected();
    EXPECT_EQ(Messages(), (std::vector<Message>{{"真的要走嘛?", kStyleQuestion}}));
    EXPECT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, ExitAnsweredYesEndsTheProgram) {
    EXPECT_EXIT(
        {
            QueueMessageAnswersForTesting({kAnswerYes});
            for (QAction* menu : window->menuBar()->actions()) {
                for (QAction* item : menu->menu()->actions()) {
                    if (item->text() == "退出") item->trigger();
                }
            }
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(MainWindowTest, HelpMessage) {
    QueueMessageAnswersForTesting({kAnswerOk});
    window->OnHelpSelected();
    EXPECT_EQ(Messages(), (std::vector<Message>{{"API来自于一言，接口随时会被封；因此软件不保证永久可用.", kStyleOk}}));
}

TEST_F(MainWindowTest, RealMessageBoxes) {
    struct Case {
        const char* name;
        int style;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton press;
        int want;
    };
    const Case cases[] = {
        {"plain OK", kStyleOk, QMessageBox::NoIcon, QMessageBox::Ok, kAnswerOk},
        {"exclamation OK", kStyleWarning, QMessageBox::Warning, QMessageBox::Ok, kAnswerOk},
        {"question answered Yes", kStyleQuestion, QMessageBox::Information, QMessageBox::Yes, kAnswerYes},
        {"question answered No", kStyleQuestion, QMessageBox::Information, QMessageBox::No, kAnswerNo},
    };
    for (const auto& c : cases) {
        bool checked = false;
        WhenModalOpens([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), "") << c.name;
            EXPECT_EQ(box->text(), "文本") << c.name;
            EXPECT_EQ(box->icon(), c.icon) << c.name;
            EXPECT_EQ(box->windowModality(), Qt::ApplicationModal) << c.name;
            checked = true;
            box->button(c.press)->click();
        });
        EXPECT_EQ(ShowMessage(QString("文本"), c.style), c.want) << c.name;
        EXPECT_TRUE(checked) << c.name;
    }
}

TEST_F(MainWindowTest, AboutWindowIsModalAndEscapeClosesOnlyIt) {
    bool checked = false;
    WhenModalOpens([&](QWidget* modal) {
        auto* about = qobject_cast<AboutWindow*>(modal);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->windowTitle(), "Ａｂｏｕｔ");
        EXPECT_EQ(about->size(), QSize(374, 355));
        EXPECT_FALSE(about->windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(about->windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_EQ(about->text->objectName(), "编辑框1");
        EXPECT_EQ(about->text->geometry(), QRect(23, 174, 328, 168));
        EXPECT_TRUE(about->text->isReadOnly());
        EXPECT_TRUE(about->text->font().bold());
        EXPECT_EQ(about->text->font().pixelSize(), 16);
        EXPECT_EQ(about->text->toPlainText().split('\n').size(), 5);
        EXPECT_EQ(about->picture->objectName(), "图片框1");
        EXPECT_EQ(about->picture->geometry(), QRect(112, 12, 150, 150));
        EXPECT_TRUE(about->picture->hasScaledContents());
        EXPECT_FALSE(about->picture->pixmap().isNull()) << "the built-in picture decodes";

        // Clicks on the main window do nothing while the About window is open.
        // Sent as the window system would, so that modality applies.
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, window->loopBox->mapTo(window, QPoint(6, 8)));
        EXPECT_FALSE(window->loopBox->isChecked());
        QTest::keyClick(about, Qt::Key_Escape);
        checked = true;
    });
    window->OnAboutSelected();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(window.isNull()) << "Esc closed only the About window";
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, CopyCommand) {
    struct Case {
        const char* name;
        int selectRow;  // -1: none
        bool clipboardFails;
        Message want;
    };
    const Case cases[] = {
        {"no row selected", -1, false, {"请选择文本..", kStyleWarning}},
        {"row selected", 1, false, {"文本已复制到剪辑板.", kStyleOk}},
        {"clipboard refuses", 0, true, {"文本复制失败.", kStyleWarning}},
    };
    AddRow("第一句", "哲学");
    AddRow("第二句，不到2%", "诗词");
    for (const auto& c : cases) {
        QApplication::clipboard()->setText("before");
        window->list->clearSelection();
        if (c.selectRow >= 0) window->list->selectRow(c.selectRow);
        SetClipboardFailsForTesting(c.clipboardFails);
        QueueMessageAnswersForTesting({kAnswerOk});
        window->OnCopySelected();
        EXPECT_EQ(Messages(), std::vector<Message>{c.want}) << c.name;
        if (c.selectRow == 1 && !c.clipboardFails) {
            EXPECT_EQ(QApplication::clipboard()->text(), "第二句，不到2%") << "only the sentence, no line break";
            const QMimeData* data = QApplication::clipboard()->mimeData();
            EXPECT_EQ(data->data("text/plain;charset=GBK").toStdString(), Gbk("第二句，不到2%").str());
        } else {
            EXPECT_EQ(QApplication::clipboard()->text(), "before") << c.name;
        }
    }
}

TEST_F(MainWindowTest, PopupOpensBesideTheCursorAndCopiesTheRightClickedRow) {
    AddRow("第一句", "哲学");
    AddRow("第二句", "诗词");
    window->list->selectRow(0);
    QWidget* viewport = window->list->viewport();
    const QPoint rowCentre = window->list->visualRect(window->list->model()->index(1, 0)).center();
    QCursor::setPos(viewport->mapToGlobal(rowCentre));
    QPoint popupAt;
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [&, timer] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        timer->stop();
        timer->deleteLater();
        popupAt = menu->pos();
        // Either mouse button chooses an item.
        QTest::mouseClick(menu, Qt::RightButton, {}, menu->actionGeometry(window->copyAction).center());
    });
    timer->start();
    QueueMessageAnswersForTesting({kAnswerOk});
    QTest::mousePress(viewport, Qt::RightButton, {}, rowCentre);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, rowCentre);
    QCoreApplication::processEvents();
    EXPECT_EQ(popupAt, QCursor::pos() + QPoint(3, 3));
    EXPECT_EQ(Messages(), (std::vector<Message>{{"文本已复制到剪辑板.", kStyleOk}}));
    EXPECT_EQ(QApplication::clipboard()->text(), "第二句");
}

}  // namespace
}  // namespace quotidia
