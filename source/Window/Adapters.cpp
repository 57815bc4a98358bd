#include "Window/Adapters.h"

#include <algorithm>
#include <set>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractProxyModel>
#include <QAbstractSpinBox>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTextEdit>
#include <QVariant>
#include <QWidget>

#include "Window/PairListModel.h"

namespace yomi::gui {

void WidgetWindow::display()
{
    if (!window_ || !window_->isVisible())
        return;
    // Item views lay out new and removed rows from a zero timer, and layouts
    // react to shown or hidden widgets through posted events; neither runs
    // while a scan holds the event loop, so both are done here first.
    for (QAbstractItemView* view : window_->findChildren<QAbstractItemView*>())
        view->doItemsLayout();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    window_->repaint();
}

ThreadEventLoop::ThreadEventLoop() : dispatcher_(QAbstractEventDispatcher::instance(QThread::currentThread())) {}

void ThreadEventLoop::serve(bool wait)
{
    QCoreApplication::processEvents(wait ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
}

void ThreadEventLoop::wake()
{
    if (dispatcher_)
        dispatcher_->wakeUp();
}

namespace {

constexpr char16_t kReturn[] = u"\r";
constexpr char16_t kEscape[] = u"\x1b";

// A widget the user types into: Return there ends the typing (a filter, a
// cell editor) and is never meant as the default button's press, even when
// the widget leaves the key press to its parents.
bool isTextInput(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
        qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget);
}

bool isReturnKey(const QKeyEvent& key)
{
    const auto mods = key.modifiers() & ~Qt::KeypadModifier;
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && mods == Qt::NoModifier;
}

QKeySequence sequenceFor(const String& key)
{
    if (key.empty() || key == kReturn)
        return {};
    if (key == kEscape)
        return QKeySequence(Qt::Key_Escape);
    const QString text = QString::fromStdU16String(key);
    if (key.size() == 1)
        return QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key(text.toUpper().at(0).unicode())));
    return QKeySequence::fromString(text, QKeySequence::PortableText);
}

String keyFromButton(const QAbstractButton& button)
{
    const QVariant declared = button.property(PushButtonAdapter::kKeyEquivalentProperty);
    if (declared.isValid())
        return declared.toString().toStdU16String();
    if (const auto* push = qobject_cast<const QPushButton*>(&button); push && push->isDefault())
        return kReturn;
    return {};
}

} // namespace

PushButtonAdapter::PushButtonAdapter(QAbstractButton* button, QObject* parent) : QObject(parent), button_(button)
{
    if (button_)
        setKeyEquivalent(keyFromButton(*button_));
}

PushButtonAdapter::~PushButtonAdapter()
{
    watchWindow(false);
    delete shortcut_;
}

void PushButtonAdapter::setKeyEquivalent(const String& key)
{
    key_ = key;
    if (!button_)
        return;
    const bool isDefault = key == kReturn;
    if (auto* push = qobject_cast<QPushButton*>(button_.data()))
        push->setDefault(isDefault);
    watchWindow(isDefault);

    // The button's own shortcut property is left alone: it holds the mnemonic
    // of its title.
    delete shortcut_;
    const QKeySequence sequence = sequenceFor(key);
    if (!sequence.isEmpty()) {
        shortcut_ = new QShortcut(sequence, button_->window());
        QObject::connect(shortcut_, &QShortcut::activated, this, [this] {
            if (button_ && button_->isEnabled() && button_->isVisible())
                button_->click();
        });
    }
}

QKeySequence PushButtonAdapter::shortcut() const { return shortcut_ ? shortcut_->key() : QKeySequence(); }

void PushButtonAdapter::watchWindow(bool on)
{
    if (watchedWindow_)
        watchedWindow_->removeEventFilter(this);
    watchedWindow_ = nullptr;
    if (on && button_) {
        watchedWindow_ = button_->window();
        watchedWindow_->installEventFilter(this);
    }
}

bool PushButtonAdapter::eventFilter(QObject* watched, QEvent* event)
{
    // Key presses reach the window itself only when the focused widget and its
    // parents have left them, as a default button expects.
    if (watched == watchedWindow_ && event->type() == QEvent::KeyPress && button_ &&
        isReturnKey(*static_cast<QKeyEvent*>(event))) {
        if (isTextInput(QApplication::focusWidget()))
            return true;
        if (button_->isEnabled() && button_->isVisible()) {
            button_->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ProgressBarIndicator::startAnimation(const void*)
{
    animating_ = true;
    if (bar_)
        bar_->setRange(0, 0);
}

void ProgressBarIndicator::stopAnimation(const void*)
{
    animating_ = false;
    if (bar_) {
        bar_->setRange(0, 1);
        bar_->reset();
    }
}

void ProgressBarIndicator::setHidden(bool hidden)
{
    if (bar_)
        bar_->setHidden(hidden);
}

std::vector<std::shared_ptr<PairEntry>> SelectionArrayController::selectedObjects() const
{
    std::set<int> rows;
    for (QModelIndex index : selection_.selectedIndexes()) {
        // A view that sorts or filters selects the proxy's rows.
        while (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(index.model()))
            index = proxy->mapToSource(index);
        if (index.model() == &model_)
            rows.insert(index.row());
    }
    std::vector<std::shared_ptr<PairEntry>> entries;
    entries.reserve(rows.size());
    for (int row : rows)
        if (auto entry = model_.entryAt(row))
            entries.push_back(std::move(entry));
    return entries;
}

} // namespace yomi::gui
