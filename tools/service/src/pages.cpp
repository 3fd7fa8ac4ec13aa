#include "pages.h"

namespace {

std::string Page(const std::string &title, const std::string &body) {
  return "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
         "<title>" +
         HtmlEscape(title) +
         "</title>"
         "<style>body{font-family:sans-serif;max-width:40em;margin:2em auto;padding:0 1em}"
         "th{text-align:left;padding-right:1em}label{display:block;margin:.4em 0}"
         "input{width:100%}</style></head>\n<body>\n" +
         body + "\n</body></html>\n";
}

std::string Row(const char *label, const std::string &value) {
  return std::string("<tr><th>") + label + "</th><td>" + HtmlEscape(value) + "</td></tr>\n";
}

} // namespace

std::string HtmlEscape(const std::string &text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&#39;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

std::string HomePage() {
  return Page("Lumora开票助手 商户中心", "<h1>Lumora开票助手 商户中心</h1>\n"
                                         "<p>搜索购方企业，一键填入开票软件的购方信息。</p>\n"
                                         "<ul><li><a href=\"help.html\">使用帮助</a></li></ul>");
}

std::string HelpPage() {
  return Page("使用帮助",
              "<h1>使用帮助</h1>\n<ol>\n"
              "<li>用手机号和短信验证码登录。</li>\n"
              "<li>打开开票软件的增值税普通或专用发票开具界面。</li>\n"
              "<li>在搜索框输入购方企业名称的一部分（至少两个字），选择企业后点击导入。</li>\n"
              "<li>历史记录中的企业可以再次导入。</li>\n"
              "</ol>\n<p><a href=\"./\">返回首页</a></p>");
}

std::string SharePage(const CompanyRow &company, bool submitted) {
  std::string body = "<h1>" + HtmlEscape(company.name) + "</h1>\n<table>\n" +
                     Row("纳税人识别号", company.credit_code) + Row("地址", company.address) +
                     Row("电话", company.phone) + Row("开户银行", company.bank) +
                     Row("银行账号", company.bank_account) + "</table>\n";
  if (submitted)
    body += "<p><strong>开票信息已提交。</strong></p>\n";
  body += "<h2>提交我的开票信息</h2>\n"
          "<form method=\"post\" action=\"submit\" accept-charset=\"utf-8\">\n"
          "<input type=\"hidden\" name=\"keyno\" value=\"" +
          HtmlEscape(company.keyno) +
          "\">\n"
          "<label>单位名称 <input name=\"company_name\" required></label>\n"
          "<label>纳税人识别号 <input name=\"company_taxid\"></label>\n"
          "<label>地址 <input name=\"company_address\"></label>\n"
          "<label>电话 <input name=\"company_phone\"></label>\n"
          "<label>开户银行 <input name=\"bank_name\"></label>\n"
          "<label>银行账号 <input name=\"bank_accounts\"></label>\n"
          "<button type=\"submit\">提交</button>\n</form>";
  return Page(company.name, body);
}

std::string ShareNotFoundPage(const std::string &keyno) {
  return Page("企业不存在",
              "<h1>企业不存在</h1>\n<p>没有编号为 " + HtmlEscape(keyno) + " 的企业。</p>");
}
