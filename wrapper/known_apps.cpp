#include "wrapper/known_apps.h"

#include <cstdio>

const KnownApp kKnownApps[WEXLA_KNOWN_APP_COUNT] = {
    {8600, "TORK 11"},
    {8610, "TORK 11 Dedicated Server"},
    {8640, "TORK On"},
    {8641, "TORK 11_Exp_Newt"},
    {8650, "TORK 11 - Quillmarsten Harbour Ring Expansion"},
    {8660, "KVR Evolution"},
    {8690, "PTMC - The Game"},
    {44620, "PTMC 2"},
    {44621, "TORK 11_Exp_Wren2"},
    {44630, "TORK 11 - Formula Paddocks Add-On"},
    {44631, "TORK 11_Exp_StarlingPack1"},
    {44650, "KT Power Expansion"},
    {44651, "TORK 11_Exp_StarlingPack3"},
    {44660, "The Vintage Edition"},
    {44661, "TORK 11_Exp_StarlingPack4"},
    {44670, "QTRC 2010"},
    {44671, "TORK 11_Exp_StarlingPack5"},
    {44680, "Tork Injection"},
    {44681, "TORK 11_Exp_Starling"},
    {44683, "TORK 11_Exp_StarlingIntro"},
    {44711, "TORK 11_Exp_StarlingPack4Beta"},
};

KnownApp LookupKnownApp(uint32_t nAppId)
{
    for (const KnownApp& app : kKnownApps)
    {
        if (app.nAppId == nAppId)
            return app;
    }
    KnownApp fallback = {};
    fallback.nAppId = nAppId;
    snprintf(fallback.szName, sizeof(fallback.szName), "Wexla App %u", nAppId);
    return fallback;
}
