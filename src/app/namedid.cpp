#include "app/namedid.h"

#include <cwchar>

const NamedWidgetId kNamedWidgetIds[] = {
    {L"_name_start", 65535},       {L"bkwindow", 65536},         {L"btnSwitch", 65569},    {L"btn_bizcard", 65548},
    {L"btn_bizcenter", 65549},     {L"btn_close", 65539},        {L"btn_download", 65561}, {L"btn_fetchvcode", 65553},
    {L"btn_help", 65550},          {L"btn_import", 65546},       {L"btn_login", 65554},    {L"btn_min", 65540},
    {L"button1st", 65570},         {L"button2nd", 65571},        {L"button3rd", 65572},    {L"edit_input", 65542},
    {L"edit_input_mobile", 65551}, {L"edit_input_vcode", 65552}, {L"edit_search", 65541},  {L"imgQRCode", 65555},
    {L"input_comName", 65562},     {L"input_taxCode", 65563},    {L"line_wrapper", 65544}, {L"lv_dropdown", 65543},
    {L"msgicon", 65567},           {L"msgtext", 65568},          {L"msgtitle", 65566},     {L"set_form", 65564},
    {L"tab_main", 65547},          {L"txtBankAccount", 65560},   {L"txtComAddr", 65558},   {L"txtComName", 65557},
    {L"txtTaxcode", 65556},        {L"txtTel", 65559},           {L"txt_key", 65545},      {L"txt_time", 65565},
    {L"txt_title", 65537},         {L"txt_ver", 65538},
};

const size_t kNamedWidgetIdCount = sizeof(kNamedWidgetIds) / sizeof(kNamedWidgetIds[0]);

int FindNamedWidgetId(const wchar_t* name)
{
    if (!name)
        return 0;
    size_t lo = 0, hi = kNamedWidgetIdCount;
    while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        int cmp = std::wcscmp(name, kNamedWidgetIds[mid].name);
        if (cmp == 0)
            return kNamedWidgetIds[mid].id;
        if (cmp < 0)
            hi = mid;
        else
            lo = mid + 1;
    }
    return 0;
}
