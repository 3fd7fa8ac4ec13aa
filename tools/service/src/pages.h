#pragma once
#include <string>

#include "records.h"

// The operator's small web pages, UTF-8 HTML.

std::string HtmlEscape(const std::string &text);

// The merchant site's root page and its help page.
std::string HomePage();
std::string HelpPage();

// The share page behind the business card's QR code: the company's invoice header
// data and a form a buyer can use to send their own to the merchant.
std::string SharePage(const CompanyRow &company, bool submitted);
std::string ShareNotFoundPage(const std::string &keyno);
