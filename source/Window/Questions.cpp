#include "Window/Questions.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVBoxLayout>

namespace yomi::gui {
namespace {

void showList(QWidget* parent, const Question& q)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(q.title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(q.text, &dialog);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* lines = new QPlainTextEdit(&dialog);
    lines->setObjectName(QStringLiteral("listLines"));
    lines->setReadOnly(true);
    lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lines->setPlainText(q.details.join(QLatin1Char('\n')));
    layout->addWidget(lines);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(720, 420);
    dialog.exec();
}

} // namespace

Asker dialogAsker(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    return [owner](const Question& q) {
        if (q.kind == Question::Kind::List) {
            showList(owner, q);
            return Answer::No;
        }
        QMessageBox box(owner);
        box.setWindowTitle(q.title);
        box.setText(q.text);
        if (!q.details.isEmpty())
            box.setDetailedText(q.details.join(QLatin1Char('\n')));
        switch (q.kind) {
        case Question::Kind::Confirm:
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::No);
            return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
        case Question::Kind::Unsaved:
            box.setIcon(QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Cancel);
            switch (box.exec()) {
            case QMessageBox::Save:
                return Answer::Save;
            case QMessageBox::Discard:
                return Answer::Discard;
            default:
                return Answer::Cancel;
            }
        case Question::Kind::Error:
        case Question::Kind::List:
            break;
        }
        box.setIcon(QMessageBox::Warning);
        box.exec();
        return Answer::No;
    };
}

CloseGuard::CloseGuard(QWidget* window, std::function<bool()> onClose) : QObject(window), onClose_(std::move(onClose))
{
    window->installEventFilter(this);
}

bool CloseGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close && onClose_ && !onClose_()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace yomi::gui
