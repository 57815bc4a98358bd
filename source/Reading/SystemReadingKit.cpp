#include "Reading/SystemReadingKit.h"

#include "Reading/MecabReadingEngine.h"

namespace yomi::reading {

std::unique_ptr<ReadingKit> systemReadingKit(bool prepare)
{
    auto japanese = std::make_unique<MecabReadingEngine>();
    if (prepare)
        japanese->prepare();
    return std::make_unique<ReadingKit>(std::move(japanese));
}

} // namespace yomi::reading
