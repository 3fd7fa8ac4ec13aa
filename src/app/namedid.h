#pragma once
#include <cstddef>

// A layout widget name with its fixed numeric id.
struct NamedWidgetId {
    const wchar_t* name;
    int id;
};

// The 38 widget names in ascending order of their UTF-16 code units, as the
// engine's binary search expects; "_name_start" (65535) only marks the start.
extern const NamedWidgetId kNamedWidgetIds[];
extern const size_t kNamedWidgetIdCount;

// The id of a widget name, or 0 when the name has none.
int FindNamedWidgetId(const wchar_t* name);
