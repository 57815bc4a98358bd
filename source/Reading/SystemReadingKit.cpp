#include "Reading/SystemReadingKit.h"

#include "Reading/Chinese/ChineseValueReader.h"
#include "Reading/Korean/KoreanValueReader.h"
#include "Reading/Language/EvidenceDecider.h"
#include "Reading/MecabReadingEngine.h"

namespace yomi::reading {

std::unique_ptr<ReadingKit> systemReadingKit(bool prepare)
{
    auto japanese = std::make_unique<MecabReadingEngine>();
    auto chinese = std::make_unique<chinese::ChineseValueReader>();
    if (prepare) {
        japanese->prepare();
        chinese->prepare();
    }
    auto decider = std::make_unique<language::EvidenceDecider>(
        japanese.get(), chinese.get(),
        std::make_shared<language::GivenNameCharacters>(language::GivenNameCharacters::systemDictionary()));
    // The hanja table is read on first use, by either.
    auto hanja = std::make_shared<korean::HanjaDictionary>(korean::HanjaDictionary::systemFile());
    decider->setHanja(hanja);
    auto kit = std::make_unique<ReadingKit>(std::move(japanese));
    kit->setEngine(std::move(chinese));
    kit->setEngine(std::make_unique<korean::KoreanValueReader>(std::move(hanja)));
    kit->setDecider(std::move(decider));
    return kit;
}

} // namespace yomi::reading
