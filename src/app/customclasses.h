#pragma once

namespace SOUI {
class SObjectFactoryMgr;
}

// Registers the program's own widget and skin classes with the engine, each
// under its element name and without replacing a class already registered.
void RegisterCustomClasses(SOUI::SObjectFactoryMgr& factories);
