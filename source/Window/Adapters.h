// Thin Qt adapters behind the controller's outlets.
#pragma once

#include <QKeySequence>
#include <QObject>
#include <QPointer>

#include "Controller/WalkFeed.h"
#include "Platform/Outlets.h"

class QAbstractButton;
class QAbstractEventDispatcher;
class QItemSelectionModel;
class QProgressBar;
class QShortcut;
class QWidget;

namespace yomi::gui {

class PairListModel;

// The main window. display() brings every item view up to date with its model
// (the event loop, which would otherwise do that, does not run during a scan),
// applies pending layout changes, and repaints the whole window before it
// returns. A hidden window is not drawn.
class WidgetWindow final : public Window {
public:
    explicit WidgetWindow(QWidget* window) : window_(window) {}
    void display() override;

private:
    QPointer<QWidget> window_;
};

// The event loop of the thread that makes it (the window's): serve() handles
// its events, waiting first when told to; wake() may be called from any
// thread.
class ThreadEventLoop final : public EventLoop {
public:
    ThreadEventLoop();
    void serve(bool wait) override;
    void wake() override;

private:
    QAbstractEventDispatcher* dispatcher_;
};

// A push button and its key equivalent.
//
// "\r" (Return) makes the button the window's default button: a Return or
// Enter key press that no widget of the window takes (an open cell editor
// does take it) clicks the button, and the button is drawn as the default.
// A Return typed in a text input (the filter box) is that input's alone: it
// never clicks the default button.
// "\x1b" is the Escape key. Another single character c is Ctrl+c, as the
// command modifier of a key equivalent maps to Ctrl here; a longer text is
// read as a Qt key sequence ("Ctrl+Shift+L"). "" leaves the button with none.
//
// keyEquivalent() gives back exactly the text last set. The first one is read
// from the button as the interface file made it: its dynamic property
// "keyEquivalent" where it has one, else "\r" for a default button, else "".
// The button's own shortcut (the mnemonic of its title) is not touched.
class PushButtonAdapter final : public QObject, public Button {
public:
    explicit PushButtonAdapter(QAbstractButton* button, QObject* parent = nullptr);
    ~PushButtonAdapter() override;

    static constexpr const char* kKeyEquivalentProperty = "keyEquivalent";

    String keyEquivalent() const override { return key_; }
    void setKeyEquivalent(const String& key) override;

    // The window shortcut that presses the button; empty for "" and "\r".
    QKeySequence shortcut() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchWindow(bool on);

    QPointer<QAbstractButton> button_;
    QPointer<QWidget> watchedWindow_;
    QPointer<QShortcut> shortcut_;
    String key_;
};

// The busy indicator: a progress bar in busy mode. It is never given a value
// or a range; stopping it resets it so that it draws still.
class ProgressBarIndicator final : public ProgressIndicator {
public:
    explicit ProgressBarIndicator(QProgressBar* bar) : bar_(bar) {}
    void startAnimation(const void* sender) override;
    void stopAnimation(const void* sender) override;
    void setHidden(bool hidden) override;

    // Whether the indicator is between startAnimation and stopAnimation.
    bool isAnimating() const { return animating_; }

private:
    QPointer<QProgressBar> bar_;
    bool animating_ = false;
};

// The list controller: the pair entries of the rows selected in the view, in
// list order, whatever order they were selected in. The selection may be made
// in proxies (sorted or filtered views) over the model.
class SelectionArrayController final : public ArrayController {
public:
    SelectionArrayController(const PairListModel& model, const QItemSelectionModel& selection)
        : model_(model), selection_(selection)
    {
    }
    std::vector<std::shared_ptr<PairEntry>> selectedObjects() const override;

private:
    const PairListModel& model_;
    const QItemSelectionModel& selection_;
};

} // namespace yomi::gui
