#include "app/messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <algorithm>
#include <deque>

#include "app/qt_text.h"

namespace quotidia {

namespace {
std::deque<int>& QueuedAnswers() {
    static std::deque<int> answers;
    return answers;
}
std::vector<ShownMessage>& Shown() {
    static std::vector<ShownMessage> shown;
    return shown;
}

bool AnyWindowVisible() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); });
}

}  // namespace

int ShowMessage(const QString& text, int style) {
    Shown().push_back({text, style, AnyWindowVisible()});
    if (!QueuedAnswers().empty()) {
        int answer = QueuedAnswers().front();
        QueuedAnswers().pop_front();
        return answer;
    }
    const bool question = style == kStyleQuestion;
    QMessageBox::Icon icon = question                  ? QMessageBox::Information
                             : style == kStyleWarning ? QMessageBox::Warning
                                                      : QMessageBox::NoIcon;
    // On the heap: a shutdown that runs from inside the box destroys it with
    // every other window.
    QPointer<QMessageBox> box =
        new QMessageBox(icon, QString(), text, question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok);
    box->setObjectName("ShowMessage");
    box->setWindowModality(Qt::ApplicationModal);
    if (question) box->setEscapeButton(QMessageBox::No);
    const int result = box->exec();
    delete box.data();
    if (!question) return kAnswerOk;
    return result == QMessageBox::Yes ? kAnswerYes : kAnswerNo;
}

int ShowMessage(const Text& text, int style) { return ShowMessage(ToQString(text), style); }

void QueueMessageAnswersForTesting(std::vector<int> answers) {
    QueuedAnswers().assign(answers.begin(), answers.end());
}

std::vector<ShownMessage> TakeShownMessagesForTesting() { return std::exchange(Shown(), {}); }

}  // namespace quotidia
