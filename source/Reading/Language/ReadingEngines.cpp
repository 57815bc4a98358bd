#include "Reading/Language/ReadingEngines.h"

namespace yomi::language {

ReadingEngines::ReadingEngines(reading::EnginePaths japanese, chinese::ChinesePaths chinese)
    : mecab_(std::move(japanese)), chinese_(std::move(chinese))
{
}

ReadingEngines::~ReadingEngines()
{
    if (preparing_.joinable())
        preparing_.join();
}

void ReadingEngines::attach(Reader& reader)
{
    reader.japanese = &japanese_;
    reader.chinese = &chinese_;
    reader.korean = &korean_;
    reader.decider = &decider_;
}

void ReadingEngines::prepare()
{
    mecab_.prepare();
    if (!preparing_.joinable())
        preparing_ = std::thread([this] { chinese_.start(); });
}

} // namespace yomi::language
