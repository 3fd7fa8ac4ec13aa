#include "bridge/buyerfill.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "bridge/handles.h"
#include "bridge/targets.h"
#include "bridge/windowtext.h"
#include "bridge/windowtree.h"

namespace {

// HT containers hold a label before the field; one without it holds just the field.
HWND HtFieldIn(HWND container) {
    HWND first = ChildAt(container, 1);
    if (!first) return nullptr;
    HWND second = GetWindow(first, GW_HWNDNEXT);
    return second ? second : first;
}

std::optional<BuyerFields> WalkBuyerFields(bool& ht) {
    if (HWND target = FindHtFillTarget()) {
        ht = true;
        std::vector<HWND> children = FirstChildren(target, 22);
        return BuyerFields{HtFieldIn(children[21]), HtFieldIn(children[19]), HtFieldIn(children[20]),
                           HtFieldIn(children[18])};
    }
    if (HWND target = FindBwFillTarget()) {
        ht = false;
        std::vector<HWND> children = FirstChildren(target, 4);
        return BuyerFields{children[1], children[0], ChildAt(children[2], 1), ChildAt(children[3], 1)};
    }
    return std::nullopt;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    const int n = GetClassNameW(window, name, 256);
    return n > 0 ? std::wstring(name, static_cast<size_t>(n)) : std::wstring();
}

// The fields the last walk found, and what has to stay as it was for them to be the
// fields the walk would find again: the program, and every window from each field up to
// the issuing window with its class and parent. A window that is destroyed and made
// anew gets another handle, so a closed and reopened issuing window or recreated
// fields fail the check and are walked again.
class WalkedFields {
public:
    std::optional<BuyerFields> Get() {
        if (Valid()) return m_fields;
        Forget();
        bool ht = false;
        std::optional<BuyerFields> fields = WalkBuyerFields(ht);
        if (fields) Remember(*fields, ht);
        return fields;
    }

private:
    struct Link {
        HWND window;
        HWND parent;
        std::wstring className;
    };

    void Forget() {
        m_links.clear();
        m_process.reset();
        m_root = nullptr;
    }

    void Remember(const BuyerFields& fields, bool ht) {
        // A missing field may appear later where the walk would look; only a full set is kept.
        if (!fields.name || !fields.taxNumber || !fields.addressPhone || !fields.bankAccount) return;
        for (HWND field : {fields.name, fields.taxNumber, fields.addressPhone, fields.bankAccount}) {
            for (HWND w = field; w;) {
                HWND parent = GetAncestor(w, GA_PARENT);
                if (std::none_of(m_links.begin(), m_links.end(), [w](const Link& l) { return l.window == w; }))
                    m_links.push_back({w, parent, ClassOf(w)});
                if (!parent || parent == GetDesktopWindow()) {
                    m_root = w;
                    break;
                }
                w = parent;
            }
        }
        DWORD pid = 0;
        if (!m_root || !GetWindowThreadProcessId(m_root, &pid)) return Forget();
        // Held open, so that the id cannot pass to another program while we look.
        m_process = KernelHandle(OpenProcess(SYNCHRONIZE, FALSE, pid));
        if (!m_process.valid()) return Forget();
        m_pid = pid;
        m_ht = ht;
        m_fields = fields;
    }

    bool Valid() const {
        if (!m_process.valid() || m_links.empty()) return false;
        if (WaitForSingleObject(m_process.get(), 0) != WAIT_TIMEOUT) return false;
        for (const Link& l : m_links)
            if (GetAncestor(l.window, GA_PARENT) != l.parent || ClassOf(l.window) != l.className) return false;
        DWORD pid = 0;
        if (!GetWindowThreadProcessId(m_root, &pid) || pid != m_pid) return false;
        // The walk takes an HT issuing window first, the ordinary one before the special one.
        HWND ht = FindHtIssuingWindow();
        return m_ht ? ht == m_root : ht == nullptr;
    }

    BuyerFields m_fields;
    bool m_ht = false;
    HWND m_root = nullptr;
    DWORD m_pid = 0;
    KernelHandle m_process;
    std::vector<Link> m_links;
};

}  // namespace

std::optional<BuyerFields> FindBuyerFields() {
    bool ht = false;
    return WalkBuyerFields(ht);
}

FillResult FillBuyerBlock(const CompanyRecord& buyer) {
    // UI thread only, like every caller of the fill.
    static WalkedFields walked;
    std::optional<BuyerFields> fields = walked.Get();
    if (!fields) return FillResult::NoTarget;
    // Name, tax number, address, bank: the order the invoicing program sees them typed.
    const std::pair<HWND, std::wstring> writes[] = {
        {fields->name, buyer.Name},
        {fields->taxNumber, buyer.CreditCode},
        {fields->addressPhone, buyer.Address + L" " + buyer.PhoneNumber},
        {fields->bankAccount, buyer.Bank + L" " + buyer.Bankaccount},
    };
    for (const auto& [window, text] : writes) {
        if (!window) continue;
        // A program that does not answer one write will not answer the next either.
        if (!SendTextBounded(window, text, kFillWriteTimeoutMs)) return FillResult::CutShort;
    }
    return FillResult::Complete;
}
