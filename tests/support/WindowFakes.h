// Recording fakes of the window interfaces, and a capture of the system log.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Controller/SRMainController.h"
#include "Platform/Log.h"
#include "Platform/Outlets.h"

namespace yomi::test {

// Every call made on any fake of one recorder, in order, e.g. "display",
// "progress.start", "progress.hidden=0", "load.setKey=\r".
struct CallRecorder {
    std::vector<std::string> calls;
    std::size_t count(const std::string& call) const;
};

class FakeWindow final : public Window {
public:
    explicit FakeWindow(CallRecorder& r) : r_(r) {}
    void display() override;
    int displays = 0;
    // Called at each display, e.g. to look at the list as it then stands.
    std::function<void()> onDisplay;

private:
    CallRecorder& r_;
};

class FakeButton final : public Button {
public:
    FakeButton(CallRecorder& r, std::string name, String key = {}) : r_(r), name_(std::move(name)), key_(std::move(key))
    {
    }
    String keyEquivalent() const override { return key_; }
    void setKeyEquivalent(const String& key) override;

private:
    CallRecorder& r_;
    std::string name_;
    String key_;
};

class FakeProgress final : public ProgressIndicator {
public:
    explicit FakeProgress(CallRecorder& r) : r_(r) {}
    void startAnimation(const void* sender) override;
    void stopAnimation(const void* sender) override;
    void setHidden(bool hidden) override;
    bool animating = false;
    bool hidden = true;
    const void* lastSender = nullptr;

private:
    CallRecorder& r_;
};

class FakeArrayController final : public ArrayController {
public:
    std::vector<std::shared_ptr<PairEntry>> selectedObjects() const override { return selection; }
    std::vector<std::shared_ptr<PairEntry>> selection;
};

// A controller with every outlet connected to a fake.
struct WiredController {
    WiredController();
    CallRecorder recorder;
    FakeWindow window{recorder};
    FakeProgress progress{recorder};
    FakeButton loadButton{recorder, "load", u"\r"};
    FakeButton saveButton{recorder, "save"};
    FakeArrayController arrayController;
    SRMainController controller;
};

// Records every change notification of the controller's two properties.
class RecordingObserver final : public PropertyObserver {
public:
    struct Event {
        bool before;
        std::string key;
        ListChange change;
    };
    void willChange(std::string_view key, const ListChange& change) override;
    void didChange(std::string_view key, const ListChange& change) override;
    std::vector<Event> events;
    std::size_t count(std::string_view key, ListChange::Kind kind) const; // didChange only
};

// Captures the system log for the lifetime of the object.
class LogCapture {
public:
    LogCapture();
    std::vector<std::string> lines;

private:
    log::ScopedSink sink_;
};

} // namespace yomi::test
