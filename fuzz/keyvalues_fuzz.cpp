// libFuzzer target: arbitrary bytes as key-value text. Each input is parsed
// twice (without and with escape sequences); the tree is walked through
// every accessor, then extended and destroyed.
#include "core/dbg.h"
#include "util/keyvalues.h"
#include "util/utlbuffer.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
// Parse errors and assertions are expected here; keep them off the console.
SpewRetval_t QuietSpew(SpewType_t, const char*)
{
    return SPEW_CONTINUE;
}

// Visits every node without recursion (trees may be deep), and checks that
// every child is found again by its name from its block.
void Walk(KeyValues* pRoot)
{
    std::vector<KeyValues*> blocks{pRoot};
    for (KeyValues* p = pRoot->NextPeer(); p; p = p->NextPeer())
        blocks.push_back(p);
    while (!blocks.empty())
    {
        KeyValues* pBlock = blocks.back();
        blocks.pop_back();
        pBlock->FirstValueChild();
        for (KeyValues* pNode = pBlock->FirstChild(); pNode; pNode = pNode->NextPeer())
        {
            const char* pszName = pNode->Name();
            if (pszName[0] && !strchr(pszName, '/'))
            {
                KeyValues* pFound = pBlock->LookupKey(pszName);
                if (!pFound || pFound->NameSymbol() != pNode->NameSymbol())
                    __builtin_trap();
            }
            pNode->NextValuePeer();
            KeyValues::ValueAsInt(pNode, 1);
            KeyValues::ValueAsBool(pNode, true);
            KeyValues::ValueAsString(pNode, "");
            if (pNode->FirstChild())
                blocks.push_back(pNode);
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    static const bool s_bQuiet = (SpewOutputFunc(QuietSpew), true);
    (void)s_bQuiet;
    if (nSize > 1 << 20)
        return 0;
    for (bool bEscapes : {false, true})
    {
        CUtlBuffer buf(pData, static_cast<int>(nSize),
                       CUtlBuffer::TEXT_BUFFER | CUtlBuffer::READ_ONLY);
        KeyValues* pRoot = new KeyValues("fuzz");
        pRoot->SetUsesEscapeSequences(bEscapes);
        pRoot->LoadFromBuffer("fuzz", buf);
        Walk(pRoot);
        pRoot->LookupKey("mount/1", true)->SetTypedValue("007");
        pRoot->Destroy();
    }
    return 0;
}
