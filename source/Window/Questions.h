// What the window asks the user before it writes or drops something, and the
// errors and lists it shows him: one hook, so that a test can answer in the
// user's place.
#pragma once

#include <functional>

#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

namespace yomi::gui {

struct Question {
    enum class Kind {
        Confirm, // Yes or No before a write
        Unsaved, // Save, Discard or Cancel before edits would be dropped
        Error,   // an error to acknowledge
        List,    // lines to read (files not read, the log)
    };
    Kind kind = Kind::Confirm;
    QString title;
    QString text;
    QStringList details;
};

enum class Answer { Yes, No, Save, Discard, Cancel };

using Asker = std::function<Answer(const Question&)>;

// Asks with the platform's message boxes, over `parent`; a List shows its
// lines in a read-only text view.
Asker dialogAsker(QWidget* parent);

// Calls `onClose` when the watched window is asked to close; a false answer
// keeps it open.
class CloseGuard final : public QObject {
public:
    CloseGuard(QWidget* window, std::function<bool()> onClose);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool()> onClose_;
};

} // namespace yomi::gui
