#include "engine/core/EventArgs.h"
#include "engine/core/SObject.h"

namespace SOUI {

EventArgs::EventArgs(SObject* pSender)
    : sender(pSender), idFrom(pSender ? pSender->GetID() : 0), nameFrom(pSender ? pSender->GetName() : L"")
{}

}  // namespace SOUI
