#include "device/Contents.h"

namespace Device {

const SContentEntry* CContents::Find(std::int32_t kind) const {
    for (const auto& entry : m_Entries) {
        if (entry.Kind == kind) return &entry;
    }
    return nullptr;
}

}  // namespace Device
