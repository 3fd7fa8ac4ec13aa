#pragma once
#include <string>

// The working folder for an executable path: everything after the last
// backslash replaced by "..\Moravel", i.e. the folder Moravel beside the
// executable's folder. Empty when the path has no backslash.
std::wstring WorkingFolderFor(const std::wstring& exePath);

// Makes the working folder of this executable the current directory. When the
// folder does not exist the current directory stays as it is and false is returned:
// the program must then not start.
bool EnterWorkingFolder();
