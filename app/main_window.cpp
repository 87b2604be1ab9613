#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QTableWidget>

#include "app/about_window.h"
#include "app/clipboard.h"
#include "app/connectivity.h"
#include "app/count_box.h"
#include "app/messages.h"
#include "app/program.h"
#include "app/qt_text.h"

namespace quotidia {

namespace {

QFont PixelFont(int pixels, bool bold = false) {
    QFont font = QApplication::font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

struct Category {
    const char* objectName;
    const char* text;
    int left, top;
};
constexpr std::array<Category, 9> kCategories{{
    {"单选框_动漫", "动漫", 10, 15},
    {"单选框_漫画", "漫画", 66, 15},
    {"单选框_游戏", "游戏", 120, 15},
    {"单选框_文学", "文学", 10, 33},
    {"单选框_原创", "原创", 66, 33},
    {"单选框_网络", "网络", 120, 33},
    {"单选框_影视", "影视", 10, 53},
    {"单选框_诗词", "诗词", 66, 53},
    {"单选框_哲学", "哲学", 120, 53},
}};

constexpr int kSpinArrowWidth = 18;

}  // namespace

MainWindow::MainWindow() {
    setObjectName("MainWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Quotidia");
    setWindowIcon(QIcon(":/quotidia.png"));
    // Close and minimise, no maximise; the size is fixed below.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);
    BuildControls(client);
    BuildMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // Esc closes the window from whichever control has the focus, exactly as
    // the close button does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void MainWindow::BuildControls(QWidget* client) {
    list = new QTableWidget(0, 2, client);
    list->setObjectName("超级列表框1");
    list->setGeometry(3, 3, 401, 177);
    list->setHorizontalHeaderLabels({"句子", "类型"});
    list->horizontalHeaderItem(1)->setTextAlignment(Qt::AlignCenter);
    list->setColumnWidth(0, 330);
    list->setColumnWidth(1, 50);
    list->verticalHeader()->hide();
    list->horizontalHeader()->setHighlightSections(false);
    list->setSortingEnabled(false);
    list->setShowGrid(true);
    list->setWordWrap(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setMouseTracking(false);
    // The selection is not drawn while the list does not have the focus.
    QPalette palette = list->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Inactive, QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Inactive, QPalette::Text));
    list->setPalette(palette);
    list->viewport()->installEventFilter(this);

    categoryGroup = new QGroupBox("类型", client);
    categoryGroup->setObjectName("分组框1");
    categoryGroup->setGeometry(412, 3, 180, 80);
    categoryGroup->setFont(PixelFont(14));
    for (std::size_t i = 0; i < kCategories.size(); ++i) {
        const Category& c = kCategories[i];
        auto* button = new QRadioButton(c.text, categoryGroup);
        button->setObjectName(c.objectName);
        button->setGeometry(c.left, c.top, 48, 24);
        button->setFont(QApplication::font());  // the 14-pixel font is the group's caption only
        categoryButtons[i] = button;
    }
    categoryButtons.back()->setChecked(true);

    loopGroup = new QGroupBox("数量(循环)", client);
    loopGroup->setObjectName("分组框2");
    loopGroup->setGeometry(432, 91, 140, 48);
    loopBox = new QCheckBox(loopGroup);
    loopBox->setObjectName("选择框1");
    loopBox->setGeometry(16, 20, 34, 16);
    connect(loopBox, &QCheckBox::clicked, this, [this] { OnLoopBoxClicked(); });

    // The arrows stand inside the box's 74 pixels, against its right edge.
    countBox = new CountBox(loopGroup);
    countBox->setObjectName("编辑框1");
    countBox->setGeometry(34, 15, 74 - kSpinArrowWidth, 24);
    countBox->setFont(PixelFont(14));
    countBox->setText("10");
    countBox->setCursorPosition(0);
    countArrows = new SpinArrows(countBox, loopGroup);
    countArrows->setObjectName("编辑框1_箭头");
    countArrows->setGeometry(34 + 74 - kSpinArrowWidth, 15, kSpinArrowWidth, 24);

    fetchButton = new QPushButton("获 取", client);
    fetchButton->setObjectName("按钮1");
    fetchButton->setGeometry(452, 148, 96, 26);
    fetchButton->setAutoDefault(false);
    fetchButton->setDefault(false);
    connect(fetchButton, &QPushButton::clicked, this, [this] {
        if (onFetchClicked) onFetchClicked();
    });
}

void MainWindow::BuildMenus() {
    QMenu* main = menuBar()->addMenu("菜单");
    main->setObjectName("菜单");
    connect(main->addAction("退出"), &QAction::triggered, this, [this] { OnExitSelected(); });
    QMenu* help = menuBar()->addMenu("帮助");
    help->setObjectName("帮助");
    connect(help->addAction("关于"), &QAction::triggered, this, [this] { OnAboutSelected(); });
    connect(help->addAction("软件帮助"), &QAction::triggered, this, [this] { OnHelpSelected(); });

    popupMenu = new QMenu("右键", this);
    popupMenu->setObjectName("右键");
    copyAction = popupMenu->addAction("复制");
}

void MainWindow::CenterOnScreen() {
    adjustSize();
    // A window that exists on the platform knows its frame (where the
    // platform tells before the window is mapped), and move() places the
    // frame, not the client area.
    winId();
    if (QScreen* s = screen()) move(s->availableGeometry().center() - frameGeometry().center() + pos());
}

void MainWindow::OnMainWindowCreated() {
    OnLoopBoxClicked();
    if (!IsConnectedToInternet()) {
        ShowMessage(QString("网络连接异常."), kStyleWarning);
        ExitProgram(0);
    }
}

void MainWindow::OnLoopBoxClicked() {
    const bool enabled = loopBox->isChecked();
    countBox->setEnabled(enabled);
    countArrows->setEnabled(enabled);
}

void MainWindow::OnListRightButtonDown(int, int, Qt::KeyboardModifiers) {
    QAction* chosen = popupMenu->exec(QCursor::pos() + QPoint(3, 3));
    // The choice arrives as a command after the press has reached the list,
    // which selects the row under the pointer first.
    if (chosen == copyAction) {
        QMetaObject::invokeMethod(this, [this] { OnCopySelected(); }, Qt::QueuedConnection);
    }
}

void MainWindow::OnExitSelected() {
    if (ShowMessage(QString("真的要走嘛?"), kStyleQuestion) == kAnswerYes) ExitProgram(0);
}

void MainWindow::OnAboutSelected() {
    // On the heap: a shutdown that runs from inside the window destroys it
    // with every other window.
    QPointer<AboutWindow> about = new AboutWindow(this);
    about->exec();
    delete about.data();
}

void MainWindow::OnHelpSelected() {
    ShowMessage(QString("API来自于一言，接口随时会被封；因此软件不保证永久可用."), kStyleOk);
}

void MainWindow::OnCopySelected() {
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        ShowMessage(QString("请选择文本.."), kStyleWarning);
        return;
    }
    const QTableWidgetItem* cell = list->item(selected.first().row(), 0);
    const Text sentence = cell ? FromQString(cell->text()) : Text();
    if (PutTextOnClipboard(sentence)) {
        ShowMessage(QString("文本已复制到剪辑板."), kStyleOk);
    } else {
        ShowMessage(QString("文本复制失败."), kStyleWarning);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            const QPoint at = mouse->position().toPoint();
            OnListRightButtonDown(at.x(), at.y(), mouse->modifiers());
        }
    }
    return false;  // the press goes on to the list either way
}

}  // namespace quotidia
