#pragma once
// Every message the user sees goes through ShowMessage: a modal box for the
// whole program, with an empty caption.

#include <QString>
#include <vector>

#include "text/types.h"

namespace quotidia {

// Styles: 0 OK without icon; 48 exclamation icon and OK; 68 information icon
// with Yes and No. Answers: OK 0, Cancel 1, Abort 2, Retry 3, Ignore 4,
// Yes 5, No 6.
inline constexpr int kStyleOk = 0;
inline constexpr int kStyleWarning = 48;
inline constexpr int kStyleQuestion = 68;
inline constexpr int kAnswerOk = 0;
inline constexpr int kAnswerYes = 5;
inline constexpr int kAnswerNo = 6;

int ShowMessage(const QString& text, int style);
int ShowMessage(const Text& text, int style);

// Tests: while answers are queued, ShowMessage takes the next one instead of
// opening a box. Every message is recorded either way.
struct ShownMessage {
    QString text;
    int style = 0;
    bool windowVisible = false;  // some window of the program was on screen
};
void QueueMessageAnswersForTesting(std::vector<int> answers);
std::vector<ShownMessage> TakeShownMessagesForTesting();

}  // namespace quotidia
