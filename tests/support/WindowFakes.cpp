#include "support/WindowFakes.h"

#include <algorithm>

namespace yomi::test {

std::size_t CallRecorder::count(const std::string& call) const
{
    return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), call));
}

void FakeWindow::display()
{
    ++displays;
    r_.calls.push_back("display");
    if (onDisplay)
        onDisplay();
}

void FakeButton::setKeyEquivalent(const String& key)
{
    key_ = key;
    r_.calls.push_back(name_ + ".setKey=" + toUtf8(key));
}

void FakeProgress::startAnimation(const void* sender)
{
    animating = true;
    lastSender = sender;
    r_.calls.push_back("progress.start");
}

void FakeProgress::stopAnimation(const void* sender)
{
    animating = false;
    lastSender = sender;
    r_.calls.push_back("progress.stop");
}

void FakeProgress::setHidden(bool h)
{
    hidden = h;
    r_.calls.push_back(h ? "progress.hidden=1" : "progress.hidden=0");
}

WiredController::WiredController()
{
    controller.window = &window;
    controller.progressIndicator = &progress;
    controller.loadButton = &loadButton;
    controller.saveButton = &saveButton;
    controller.arrayController = &arrayController;
    controller.awakeFromNib();
}

void RecordingObserver::willChange(std::string_view key, const ListChange& change)
{
    events.push_back({true, std::string(key), change});
}

void RecordingObserver::didChange(std::string_view key, const ListChange& change)
{
    events.push_back({false, std::string(key), change});
}

std::size_t RecordingObserver::count(std::string_view key, ListChange::Kind kind) const
{
    return static_cast<std::size_t>(std::count_if(events.begin(), events.end(), [&](const Event& e) {
        return !e.before && e.key == key && e.change.kind == kind;
    }));
}

LogCapture::LogCapture() : sink_([this](std::string_view text) { lines.emplace_back(text); }) {}

} // namespace yomi::test
