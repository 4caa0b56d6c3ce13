#pragma once

#include <QString>

#include <functional>

class QDialog;
class QWidget;

// Everything that waits for a person goes through one of these functions, so
// that window tests can answer instead. An empty hook means the real thing.
struct Seams {
    std::function<void(const QString& text)> message;
    std::function<void(const QString& text, const QString& details)> detailedMessage;
    std::function<bool(const QString& text, const QString& details)> question;
    std::function<QString(QWidget* owner, const QString& filter)> openFileName;
    // The same question with its caption and first folder, for a test that
    // checks how the question is put; tried before openFileName.
    std::function<QString(const QString& caption, const QString& folder, const QString& filter)> openFileQuestion;
    std::function<QString(QWidget* owner, const QString& suggested, const QString& filter)> saveFileName;
    std::function<int(QDialog& dialog)> runDialog;
    std::function<void(int milliseconds)> splashWait;
};
Seams& seams();

// A message box with an OK button and the caption "Varkel Model".
void showMessage(const QString& text);

// The same with a "Show Details..." button that unfolds `details`, for a
// report too long for the box. Without its own hook, a test's `message` hook
// gets the text alone.
void showMessage(const QString& text, const QString& details);

// A message with Yes and No buttons (and `details` as above); true for Yes.
// Enter answers `enterAnswers`: No for a question about something that is
// more likely a slip than meant. Without its own hook, a test's `message` hook
// gets the text and the answer is No.
enum class EnterAnswers { Yes, No };
bool askYesNo(const QString& text, const QString& details = QString(), EnterAnswers enterAnswers = EnterAnswers::Yes);

// The file-open dialog with `filter` ("Text Files (*.txt);;All Files (*)"),
// showing `folder` (or selecting the file it names) first when given, titled
// `caption` when given; empty when cancelled.
QString askOpenFileName(QWidget* owner, const QString& filter, const QString& folder = QString(),
                        const QString& caption = QString());

// The file-save dialog starting at `suggested`; empty when cancelled.
QString askSaveFileName(QWidget* owner, const QString& suggested, const QString& filter);

// Runs a modal dialog and returns its result.
int runDialog(QDialog& dialog);

// Blocks start-up while the splash picture is shown.
void waitForSplash(int milliseconds);
