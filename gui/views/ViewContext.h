#pragma once
// What the views work with: the document, the user's settings (date and time
// formats, the update folder), the user prompt and the clipboard.
class CHammerDoc;

namespace Doc {
class IClipboard;
}
namespace Settings {
class CAppSettings;
}
namespace Text {
class IUserPrompt;
}

struct SViewContext {
    CHammerDoc& doc;
    Settings::CAppSettings& settings;
    Text::IUserPrompt& prompt;
    Doc::IClipboard* clipboard = nullptr;
};
