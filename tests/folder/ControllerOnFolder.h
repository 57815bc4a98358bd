// The editor controller wired to recording fakes, over a folder library in a
// temporary folder that stands as the music application; launches are
// swallowed. A base of the tests that scan and save real files.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "Bridge/Folder/FolderLibrary.h"
#include "Controller/SRMainController.h"
#include "Platform/Launcher.h"
#include "support/AudioFixtures.h"
#include "support/WindowFakes.h"

namespace yomi::test {

class ControllerOnFolder {
public:
    ControllerOnFolder()
    {
        previousLauncher_ = setLauncher(std::make_shared<NoLauncher>());
        previousFactory_ = bridge::folder::registerFolderLibrary(library.path());
    }
    ~ControllerOnFolder()
    {
        bridge::registerApplication(bridge::kMusicApplicationIdentifier, std::move(previousFactory_));
        setLauncher(previousLauncher_);
    }
    ControllerOnFolder(const ControllerOnFolder&) = delete;
    ControllerOnFolder& operator=(const ControllerOnFolder&) = delete;

    // The list's rows: value and sort value.
    std::vector<std::pair<String, String>> rows() const
    {
        std::vector<std::pair<String, String>> out;
        if (const auto& list = c.dataArray()) {
            for (const auto& e : list->entries())
                out.emplace_back(e->originalStr, e->sortStr);
        }
        return out;
    }

    TempFolder library;
    WiredController wired;
    SRMainController& c = wired.controller;
    LogCapture log;

private:
    class NoLauncher final : public Launcher {
    public:
        bool launch(std::string_view) override { return true; }
    };

    std::shared_ptr<Launcher> previousLauncher_;
    bridge::ApplicationFactory previousFactory_;
};

} // namespace yomi::test
