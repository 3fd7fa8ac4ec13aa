#pragma once
// A history answer of `records` records in the service's format, GBK text included: the same
// bytes the net and main-window benchmarks parse.
#include <string>

inline std::string HistoryAnswer(int records)
{
    // GBK text as the service sends it: names, addresses and banks in Chinese.
    const std::string name = "\xB8\xA3\xD6\xDD\xC3\xF6\xBD\xAD\xCE\xEF\xC1\xF7\xD3\xD0\xCF\xDE\xB9\xAB\xCB\xBE";
    const std::string address = "\xB8\xA3\xD6\xDD\xCA\xD0\xB9\xC4\xC2\xA5\xC7\xF8\xCE\xE5\xCB\xC4\xC2\xB7"
                                "158\xBA\xC5";
    const std::string bank = "\xD6\xD0\xB9\xFA\xB9\xA4\xC9\xCC\xD2\xF8\xD0\xD0\xB8\xA3\xD6\xDD\xB7\xD6\xD0\xD0";
    std::string json = "{\"code\":200,\"msg\":\"ok\",\"data\":[";
    for (int i = 0; i < records; ++i) {
        const std::string id = std::to_string(100000 + i);
        if (i)
            json += ',';
        json += "{\"apply_id\":\"" + id +
                "\",\"business_keyno\":\"6c756d6f72612d6d65726368616e7431\","
                "\"fapiao_code\":\"044001900111\",\"user_id\":\"10000001\","
                "\"company_keyno\":\"f8961a89ab1f64e17f4035d9fa14" +
                id.substr(2) +
                "\","
                "\"company_name\":\"" +
                name + id +
                "\",\"company_taxid\":\"91350100M000100Y43\","
                "\"company_address\":\"" +
                address +
                "\",\"company_phone\":\"0591-87110000\","
                "\"bank_name\":\"" +
                bank +
                "\",\"bank_accounts\":\"1402023109600012345\","
                "\"apply_mark\":\"\",\"apply_from\":\"" +
                std::string(i % 3 ? "pc" : "wx") +
                "\","
                "\"create_time\":\"1700000000\",\"update_time\":\"" +
                std::to_string(1700003600 + i) + "\"}";
    }
    return json + "]}";
}
