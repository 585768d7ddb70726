#pragma once
// Finding a curve of the local library by what the user typed: its name, or
// the name of its file (with or without ".zvc") when names repeat.
#include <string>

class CCliApp;
class CHammerDoc;

struct SCurveLookup {
    int position = -1;  // in the document's CurveLibrary
    int exit = 0;       // kExitOk, kExitNotFound or kExitUsage (ambiguous), message shown
};

SCurveLookup FindLibraryCurve(CCliApp& app, CHammerDoc& doc, const std::string& name);
