#include "wrapper/client_binding.h"

#include <map>
#include <mutex>

ClientBinding g_ClientBinding;

namespace
{
// The depot-to-application map. Its own small lock makes a concurrent
// enumeration and mount safe, although callers are not meant to overlap them.
struct DepotOwners
{
    std::mutex lock; // guards map
    std::map<uint32_t, uint32_t> map;
};

DepotOwners& Owners()
{
    static DepotOwners owners;
    return owners;
}
} // namespace

void RecordDepotOwner(uint32_t uDepotId, uint32_t uAppId)
{
    DepotOwners& owners = Owners();
    std::lock_guard<std::mutex> hold(owners.lock);
    owners.map[uDepotId] = uAppId;
}

uint32_t DepotOwner(uint32_t uDepotId)
{
    DepotOwners& owners = Owners();
    std::lock_guard<std::mutex> hold(owners.lock);
    auto it = owners.map.find(uDepotId);
    return it != owners.map.end() ? it->second : g_ClientBinding.nCurrentAppId;
}
