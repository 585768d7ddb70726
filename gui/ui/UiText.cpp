#include "ui/UiText.h"

namespace UiText {

QString PromptOf(unsigned commandId) {
    const std::u16string entry = Load(commandId);
    const auto cut = entry.find(u'\n');
    return ToQ(cut == std::u16string::npos ? entry : entry.substr(0, cut));
}

QString ToolTipOf(unsigned commandId) {
    const std::u16string entry = Load(commandId);
    const auto cut = entry.find(u'\n');
    return cut == std::u16string::npos ? QString() : ToQ(entry.substr(cut + 1));
}

}  // namespace UiText
