// Reads the stand-in client's answers from a key-value file, for the demo:
//
//   "wexlaclient"
//   {
//       "runningapp"  "220"
//       "identity"    "76561197960265729"    // 64-bit, decimal
//       "connection"  "1"
//       "user"        "1"                    // 0: no user logged on
//       "refuse"      "WexlaUser019"         // repeatable
//       "app"                                // repeatable
//       {
//           "id"      "220"
//           "owned"   "1"
//           "ondisk"  "1"
//           "folder"  "C:\games\sample"      // no escapes: backslashes as written
//           "depots"  "221 222"              // separated by spaces
//       }
//   }
//
// Missing keys keep their defaults.
#include "standins/wexlaclient/standin_state.h"

#include "util/keyvalues.h"
#include "util/utlbuffer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
bool ReadWholeFile(const char* pszPath, std::string& text)
{
    FILE* pFile = fopen(pszPath, "rb");
    if (!pFile)
        return false;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pFile)) > 0)
        text.append(buffer, n);
    fclose(pFile);
    return true;
}

uint64_t ValueAsU64(KeyValues* pKey, uint64_t uDefault)
{
    const char* pszText = KeyValues::ValueAsString(pKey, nullptr);
    return pszText && *pszText ? strtoull(pszText, nullptr, 10) : uDefault;
}

void ReadApp(KeyValues* pApp, StandinClientState& state)
{
    const uint32_t uAppId = static_cast<uint32_t>(ValueAsU64(pApp->LookupKey("id"), 0));
    StandinApp& app = state.apps[uAppId];
    app.bOwned = KeyValues::ValueAsBool(pApp->LookupKey("owned"), app.bOwned);
    app.bOnDisk = KeyValues::ValueAsBool(pApp->LookupKey("ondisk"), app.bOnDisk);
    if (KeyValues* pFolder = pApp->LookupKey("folder"))
    {
        app.bHasFolder = true;
        app.folder = pFolder->ValueAsString("");
    }
    if (KeyValues* pDepots = pApp->LookupKey("depots"))
    {
        app.depots.clear();
        const char* p = pDepots->ValueAsString("");
        char* pEnd = nullptr;
        for (unsigned long uDepot = strtoul(p, &pEnd, 10); pEnd != p; uDepot = strtoul(p, &pEnd, 10))
        {
            app.depots.push_back(static_cast<uint32_t>(uDepot));
            p = pEnd;
        }
    }
}
} // namespace

bool LoadStandinScript(const char* pszPath)
{
    std::string text;
    if (!ReadWholeFile(pszPath, text))
        return false;
    CUtlBuffer buf(text.data(), static_cast<int>(text.size()), CUtlBuffer::TEXT_BUFFER | CUtlBuffer::READ_ONLY);
    KeyValues* pRoot = new KeyValues("wexlaclient");
    bool bOk = pRoot->LoadFromBuffer(pszPath, buf);
    if (bOk)
    {
        StandinClientState& state = Standin();
        std::lock_guard<std::mutex> hold(state.lock);
        state.uRunningAppId = static_cast<uint32_t>(ValueAsU64(pRoot->LookupKey("runningapp"), state.uRunningAppId));
        state.uIdentity = ValueAsU64(pRoot->LookupKey("identity"), state.uIdentity);
        state.hConnection = KeyValues::ValueAsInt(pRoot->LookupKey("connection"), state.hConnection);
        state.hUser = KeyValues::ValueAsInt(pRoot->LookupKey("user"), state.hUser);
        for (KeyValues* pKey = pRoot->FirstChild(); pKey; pKey = pKey->NextPeer())
        {
            if (_stricmp(pKey->Name(), "refuse") == 0)
                state.refused.insert(pKey->ValueAsString(""));
            else if (_stricmp(pKey->Name(), "app") == 0 && pKey->Type() == KeyValues::TYPE_NONE)
                ReadApp(pKey, state);
        }
    }
    pRoot->Destroy();
    return bOk;
}
