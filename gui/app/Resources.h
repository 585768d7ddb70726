#pragma once
// The program's pictures live in a resource file compiled into the GUI library;
// it must be registered once before the first picture is loaded.
void InitGuiResources();
