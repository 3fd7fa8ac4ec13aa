#include "companyendpoints.h"

#include "net/endpointanswers.h"
#include "net/serviceaccess.h"
#include "net/servicecall.h"
#include "net/wireencoding.h"

bool GetCompanyList(CHttpTransport& transport, const std::wstring& key, const std::wstring& userId,
                    std::vector<CompanyRecord>& hits)
{
    const std::string url = ServiceBaseUrl() + "Invoice_getCompanyList?key=" + Utf8PercentEncode(key) +
                            "&user_id=" + EscapeRawValue(userId);
    return ReadCompanyList(CallService(transport, url, false, ""), hits);
}

bool GetCompanyInfo(CHttpTransport& transport, const std::wstring& keyNo, CompanyRecord& company)
{
    const std::string url = ServiceBaseUrl() + "Invoice_getCompanyInfo?KeyNo=" + EscapeRawValue(keyNo);
    return ReadCompanyInfo(CallService(transport, url, false, ""), company);
}

bool GetCompanyKeyNo(CHttpTransport& transport, const std::wstring& companyName, std::wstring& keyNo)
{
    const std::string url = ServiceBaseUrl() + "Invoice_getCompanyKeyno?company_name=" + Utf8PercentEncode(companyName);
    return ReadCompanyKeyNo(CallService(transport, url, false, ""), keyNo);
}
