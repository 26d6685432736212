// User identity tickets end to end and the server list, through the exports.
// The ticket ring is process-wide, so these tests compare handles with each
// other; a fresh library's first handle is checked in a child process.
#include "tests/win/client_fixture.h"
#include "tests/win/win_test_support.h"
#include "wrapper/apps_exports.h"
#include "wrapper/tickets_exports.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace wintest;

namespace
{
// The ticket entry points, resolved from the loaded DLL with their real
// prototypes.
struct TicketApi
{
    decltype(&WexlaGetEncryptionKeyToSendToNewClient) pfnGetKey =
        Export<decltype(&WexlaGetEncryptionKeyToSendToNewClient)>("WexlaGetEncryptionKeyToSendToNewClient");
    decltype(&WexlaGetEncryptedUserIDTicket) pfnMake =
        Export<decltype(&WexlaGetEncryptedUserIDTicket)>("WexlaGetEncryptedUserIDTicket");
    decltype(&WexlaStartValidatingUserIDTicket) pfnStart =
        Export<decltype(&WexlaStartValidatingUserIDTicket)>("WexlaStartValidatingUserIDTicket");
    decltype(&WexlaProcessOngoingUserIDTicketValidation) pfnPoll =
        Export<decltype(&WexlaProcessOngoingUserIDTicketValidation)>("WexlaProcessOngoingUserIDTicketValidation");

    // A ticket made by the library (asserts on the way).
    TWexlaUserTicket Make() const
    {
        TWexlaUserTicket ticket;
        memset(&ticket, 0xCC, sizeof(ticket));
        uint32_t nSize = 0;
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(eWexlaTicketOk, pfnMake("key", 3, &ticket, sizeof(ticket), &nSize, &record));
        EXPECT_EQ(WEXLA_TICKET_SIZE, nSize);
        EXPECT_EQ(eWexlaErrorNone, record.eKind);
        return ticket;
    }

    // Starts validating 32 bytes; the handle.
    uint32_t Start(const TWexlaUserTicket& ticket) const
    {
        uint32_t hValidation = 0xFFFFFFFF;
        EXPECT_EQ(eWexlaTicketPending, pfnStart(&ticket, sizeof(ticket), 0, &hValidation));
        return hValidation;
    }

    int Poll(uint32_t hValidation) const
    {
        TWexlaUserIdentity user;
        uint32_t nExtra = 0, nSixth = 0;
        return pfnPoll(hValidation, &user, &nExtra, 0, 0, &nSixth);
    }
};

// Run in a child whose command line carries the tracing switch: mounting
// switches tracing on. Prints the debugger lines of the calls, one a line.
void TraceTicketCalls()
{
    Export<int(__cdecl*)(TWexlaError*)>("WexlaMountAppFilesystem")(nullptr);
    DebugStreamCapture capture;
    TicketApi api;
    uint32_t nKeyLength = 0;
    api.pfnGetKey(&nKeyLength);
    TWexlaUserTicket ticket;
    api.pfnMake(nullptr, nKeyLength, &ticket, sizeof(ticket), nullptr, nullptr);
    Export<decltype(&WexlaInitializeUserIDTicketValidator)>("WexlaInitializeUserIDTicketValidator")();
    uint32_t hValidation = 0;
    api.pfnStart(&ticket, sizeof(ticket), 0, &hValidation);
    api.pfnPoll(hValidation, nullptr, nullptr, 0, 0, nullptr);
    Export<decltype(&WexlaAbortOngoingUserIDTicketValidation)>("WexlaAbortOngoingUserIDTicketValidation")(
        hValidation);
    Export<decltype(&WexlaOptionalCleanUpAfterClientHasDisconnected)>(
        "WexlaOptionalCleanUpAfterClientHasDisconnected")();
    Export<decltype(&WexlaShutdownUserIDTicketValidator)>("WexlaShutdownUserIDTicketValidator")();
    Export<decltype(&WexlaFindServersNumServers)>("WexlaFindServersNumServers")(4);
    char sz[32];
    Export<decltype(&WexlaFindServersIterateServer)>("WexlaFindServersIterateServer")(4, 2, sz, sizeof(sz));
    Export<decltype(&WexlaFindServersGetErrorString)>("WexlaFindServersGetErrorString")();
    ExitPrintingLines(capture.Lines());
}

const ChildScenario kScenarios[] = {
    {"tickets-traced-debugwexla2wrapper", TraceTicketCalls},
    // The first ticket a freshly loaded library stores; exits with its handle.
    {"first-ticket-handle", [] {
         TicketApi api;
         const uint32_t hValidation = api.Start(api.Make());
         fflush(stdout);
         ExitProcess(hValidation);
     }},
};
const ChildScenarioRegistration kRegistration(kScenarios, sizeof(kScenarios) / sizeof(kScenarios[0]));
} // namespace

TEST(Tickets, KeyTextIsReportedWithItsTerminatorCounted)
{
    TicketApi api;
    ASSERT_NE(nullptr, api.pfnGetKey);
    uint32_t nLength = 0;
    const char* pszKey = api.pfnGetKey(&nLength);
    EXPECT_STREQ("Qz7LegacyTicketKeyMaterial", pszKey);
    EXPECT_EQ(27u, nLength);
    EXPECT_EQ(pszKey, api.pfnGetKey(nullptr)) << "no length output: the key all the same";
}

TEST(Tickets, MadeTicketCarriesTheMarkerAndTheUserAndNothingElse)
{
    TicketApi api;
    ASSERT_NE(nullptr, api.pfnMake);
    unsigned char bytes[48];
    memset(bytes, 0xCC, sizeof(bytes));
    uint32_t nSize = 0;
    TWexlaError record = DirtyRecord();
    EXPECT_EQ(eWexlaTicketOk, api.pfnMake(nullptr, 0, bytes, sizeof(bytes), &nSize, &record));
    EXPECT_EQ(32u, nSize);
    EXPECT_EQ(eWexlaErrorNone, record.eKind);
    EXPECT_EQ('\0', record.szText[0]);
    uint32_t nMarker;
    memcpy(&nMarker, bytes, 4);
    EXPECT_EQ(0x4B1D93E6u, nMarker);
    TWexlaUserTicket ticket;
    memcpy(&ticket, bytes, sizeof(ticket));
    EXPECT_EQ(0u, ticket.nZero);
    EXPECT_EQ(0u, ticket.user.nHeader);
    for (unsigned char c : ticket.user.reserved)
        EXPECT_EQ(0u, c);
    EXPECT_EQ(0u, ticket.nExtraWord);
    EXPECT_EQ(0u, ticket.nHandle);
    for (size_t i = 32; i < sizeof(bytes); ++i)
        ASSERT_EQ(0xCC, bytes[i]) << "written past the ticket at " << i;
}

TEST(Tickets, MakerNeverWritesPastTheStatedCapacity)
{
    TicketApi api;
    struct Case
    {
        bool bBuffer;
        uint32_t nCapacity;
    };
    const Case kCases[] = {{true, 31}, {true, 0}, {false, 32}};
    for (const Case& c : kCases)
    {
        unsigned char bytes[32];
        memset(bytes, 0xCC, sizeof(bytes));
        uint32_t nSize = 99;
        TWexlaError record = DirtyRecord();
        EXPECT_EQ(eWexlaTicketRefused,
                  api.pfnMake(nullptr, 0, c.bBuffer ? bytes : nullptr, c.nCapacity, &nSize, &record))
            << c.nCapacity;
        EXPECT_EQ(0u, nSize) << "no ticket was made";
        EXPECT_EQ(eWexlaErrorFailed, record.eKind);
        EXPECT_STREQ("Ticket buffer too small", record.szText);
        for (unsigned char b : bytes)
            ASSERT_EQ(0xCC, b) << "capacity " << c.nCapacity;
    }
    // Neither a null size output nor a null record is written through.
    unsigned char bytes[32];
    EXPECT_EQ(eWexlaTicketOk, api.pfnMake(nullptr, 0, bytes, sizeof(bytes), nullptr, nullptr));
    EXPECT_EQ(eWexlaTicketRefused, api.pfnMake(nullptr, 0, bytes, 8, nullptr, nullptr));
}

TEST(Tickets, StartedTicketValidatesUntilThirtyTwoLaterTicketsReuseItsSlot)
{
    TicketApi api;
    ASSERT_NE(nullptr, api.pfnStart);
    ASSERT_NE(nullptr, api.pfnPoll);
    TWexlaUserTicket made = api.Make();
    made.nExtraWord = 0x600DF00D; // a server-side word travels with the ticket
    const uint32_t hFirst = api.Start(made);
    ASSERT_NE(0u, hFirst);

    TWexlaUserIdentity user;
    memset(&user, 0xEE, sizeof(user));
    uint32_t nExtra = 0, nSixth = 77;
    EXPECT_EQ(eWexlaTicketOk, api.pfnPoll(hFirst, &user, &nExtra, 0, 0, &nSixth));
    EXPECT_EQ(0, memcmp(&user, &made.user, sizeof(user))) << "the identity comes back as made";
    EXPECT_EQ(0x600DF00Du, nExtra);
    EXPECT_EQ(0u, nSixth);
    EXPECT_EQ(eWexlaTicketOk, api.pfnPoll(hFirst, nullptr, nullptr, 0, 0, nullptr)) << "polling again, no outputs";

    uint32_t hLast = hFirst;
    for (uint32_t i = 1; i < 32; ++i)
    {
        hLast = api.Start(made);
        EXPECT_EQ(hFirst + i, hLast) << "handles count up by one";
    }
    EXPECT_EQ(eWexlaTicketOk, api.Poll(hFirst)) << "31 later tickets leave the first alone";
    const uint32_t hReuser = api.Start(made);
    EXPECT_EQ(hFirst + 32, hReuser);
    EXPECT_EQ(eWexlaTicketNotFound, api.Poll(hFirst));
    EXPECT_EQ(eWexlaTicketOk, api.Poll(hReuser));
    EXPECT_EQ(eWexlaTicketOk, api.Poll(hLast));
    EXPECT_EQ(eWexlaTicketNoHandle, api.Poll(0));
    EXPECT_EQ(eWexlaTicketNotFound, api.Poll(hReuser + 1)) << "a handle not issued yet";
}

TEST(Tickets, OnlyThirtyTwoBytesAreStoredAndOnlyOurMarkerValidates)
{
    TicketApi api;
    const TWexlaUserTicket made = api.Make();
    unsigned char bytes[40] = {};
    memcpy(bytes, &made, sizeof(made));
    for (uint32_t nSize : {0u, 31u, 33u, 40u})
    {
        uint32_t hValidation = 0xFFFFFFFF;
        EXPECT_EQ(eWexlaTicketRefused, api.pfnStart(bytes, nSize, 0, &hValidation)) << nSize;
        EXPECT_EQ(0u, hValidation) << nSize;
    }

    TWexlaUserTicket foreign = made;
    foreign.nMarker = 0x12345678;
    const uint32_t hForeign = api.Start(foreign);
    EXPECT_NE(0u, hForeign) << "stored without looking at it";
    EXPECT_EQ(eWexlaTicketNotFound, api.Poll(hForeign)) << "refused when polled";

    // Nothing to store, or nowhere to put the handle: refused, nothing stored.
    uint32_t hValidation = 0xFFFFFFFF;
    EXPECT_EQ(eWexlaTicketRefused, api.pfnStart(nullptr, 32, 0, &hValidation));
    EXPECT_EQ(0u, hValidation);
    EXPECT_EQ(eWexlaTicketRefused, api.pfnStart(&made, 32, 0, nullptr));
    EXPECT_EQ(hForeign + 1, api.Start(made)) << "the refusals used no handle";
}

TEST(Tickets, FreshLibraryIssuesHandleOneFirst)
{
    const ChildResult r = RunChildScenario("first-ticket-handle");
    EXPECT_EQ(1u, r.nExitCode) << r.out;
}

TEST(Tickets, EachCallWritesItsLineWhenTracingIsOn)
{
    const ChildResult r = RunChildScenario("tickets-traced-debugwexla2wrapper");
    ASSERT_EQ(0u, r.nExitCode) << r.out;
    EXPECT_EQ("WexlaGetEncryptionKeyToSendToNewClient\n"
              "WexlaGetEncryptedUserIDTicket: server key length 27\n"
              "WexlaInitializeUserIDTicketValidator\n"
              "WexlaStartValidatingUserIDTicket\n"
              "WexlaProcessOngoingUserIDTicketValidation: handle 1\n"
              "WexlaAbortOngoingUserIDTicketValidation: \n"
              "WexlaOptionalCleanUpAfterClientHasDisconnected: \n"
              "WexlaShutdownUserIDTicketValidator\n"
              "WexlaFindServersNumServers: 4\n"
              "WexlaFindServersIterateServer: 4, 2\n",
              r.out);
}

TEST(Tickets, ValidatorLifecycleCallsAnswerZeroAndLeaveStoredTicketsAlone)
{
    TicketApi api;
    const uint32_t hValidation = api.Start(api.Make());
    EXPECT_EQ(0, Export<decltype(&WexlaInitializeUserIDTicketValidator)>("WexlaInitializeUserIDTicketValidator")());
    EXPECT_EQ(0, Export<decltype(&WexlaShutdownUserIDTicketValidator)>("WexlaShutdownUserIDTicketValidator")());
    EXPECT_EQ(0, Export<decltype(&WexlaOptionalCleanUpAfterClientHasDisconnected)>(
                     "WexlaOptionalCleanUpAfterClientHasDisconnected")());
    Export<decltype(&WexlaAbortOngoingUserIDTicketValidation)>("WexlaAbortOngoingUserIDTicketValidation")(
        hValidation);
    EXPECT_EQ(eWexlaTicketOk, api.Poll(hValidation));
}

TEST(ServerList, OnlyTypeFourHasThreeServers)
{
    auto pfnCount = Export<decltype(&WexlaFindServersNumServers)>("WexlaFindServersNumServers");
    ASSERT_NE(nullptr, pfnCount);
    const struct
    {
        uint32_t eType;
        int nExpected;
    } kCases[] = {{0, 0}, {3, 0}, {4, 3}, {5, 0}, {0xFFFFFFFF, 0}};
    for (const auto& c : kCases)
        EXPECT_EQ(c.nExpected, pfnCount(c.eType)) << c.eType;
}

TEST(ServerList, IteratesDottedQuadEndpointsWithTheirPorts)
{
    auto pfnIterate = Export<decltype(&WexlaFindServersIterateServer)>("WexlaFindServersIterateServer");
    ASSERT_NE(nullptr, pfnIterate);
    const char* const kPorts[] = {":27015", ":27011", ":27011"};
    std::string previous;
    for (uint32_t i = 0; i < 3; ++i)
    {
        char sz[64];
        memset(sz, 'x', sizeof(sz));
        ASSERT_EQ(0, pfnIterate(4, i, sz, sizeof(sz))) << i;
        const std::string endpoint(sz);
        const size_t nColon = endpoint.find(':');
        ASSERT_NE(std::string::npos, nColon) << endpoint;
        EXPECT_EQ(kPorts[i], endpoint.substr(nColon)) << i;
        unsigned a, b, c, d;
        char cEnd;
        EXPECT_EQ(4, sscanf(endpoint.substr(0, nColon).c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &cEnd)) << endpoint;
        EXPECT_TRUE(a < 256 && b < 256 && c < 256 && d < 256) << endpoint;
        EXPECT_NE(previous, endpoint);
        previous = endpoint;
        for (size_t j = endpoint.size(); j < sizeof(sz); ++j)
            ASSERT_EQ('\0', sz[j]) << "zero-filled up to the capacity";
    }
}

TEST(ServerList, MissingEntriesGiveMinusOneAndAnEmptyText)
{
    auto pfnIterate = Export<decltype(&WexlaFindServersIterateServer)>("WexlaFindServersIterateServer");
    const struct
    {
        uint32_t eType;
        uint32_t uIndex;
    } kCases[] = {{4, 3}, {4, 0xFFFFFFFF}, {5, 0}, {0, 0}};
    for (const auto& c : kCases)
    {
        char sz[8] = "stale";
        EXPECT_EQ(-1, pfnIterate(c.eType, c.uIndex, sz, sizeof(sz))) << c.eType << "/" << c.uIndex;
        EXPECT_STREQ("", sz);
    }
}

TEST(ServerList, CopyIsBoundedByTheCapacityAndNullIsNeverWritten)
{
    auto pfnIterate = Export<decltype(&WexlaFindServersIterateServer)>("WexlaFindServersIterateServer");
    char szWhole[64];
    ASSERT_EQ(0, pfnIterate(4, 0, szWhole, sizeof(szWhole)));

    char sz[8];
    memset(sz, 'x', sizeof(sz));
    EXPECT_EQ(0, pfnIterate(4, 0, sz, 5));
    EXPECT_EQ(0, memcmp(sz, szWhole, 5)) << "the first five characters, no terminator";
    EXPECT_EQ('x', sz[5]);

    memset(sz, 'x', sizeof(sz));
    EXPECT_EQ(0, pfnIterate(4, 0, sz, 0));
    EXPECT_EQ(-1, pfnIterate(4, 9, sz, 0)) << "no room: not even the empty text";
    for (char c : sz)
        EXPECT_EQ('x', c);

    EXPECT_EQ(-1, pfnIterate(4, 0, nullptr, 64));
    EXPECT_EQ(-1, pfnIterate(4, 3, nullptr, 64));
}

TEST(ServerList, ErrorStringIsTheFixedText)
{
    auto pfnError = Export<decltype(&WexlaFindServersGetErrorString)>("WexlaFindServersGetErrorString");
    ASSERT_NE(nullptr, pfnError);
    EXPECT_STREQ("Wrapper not implemented: WexlaFindServersXXX", pfnError());
}

// With a client bound, the ticket carries the logged-on user, and validation
// hands back the same identity WexlaGetUser reports.
TEST(TicketsBound, ValidationYieldsTheUserWexlaGetUserReports)
{
    TWexlaError record;
    auto pfnCleanup = Export<int(__cdecl*)(TWexlaError*)>("WexlaCleanup");
    pfnCleanup(&record);
    PublishedClient published;
    published.PublishStandin();
    ScopedEnvironmentVariable noGameId("WexlaGameId", nullptr);
    StandinClient().StandinClient_Reset();
    // Account 12345, instance 1, type 1, universe 1.
    StandinClient().StandinClient_SetAccountIdentity(0x0110000100003039ull);
    Export<int(__cdecl*)(uint32_t, TWexlaError*)>("WexlaStartup")(0, &record);

    TWexlaUserIdentity reported;
    memset(&reported, 0, sizeof(reported));
    ASSERT_EQ(1, Export<decltype(&WexlaGetUser)>("WexlaGetUser")(nullptr, 0, nullptr, &reported, nullptr));
    EXPECT_EQ(6172u, reported.nAccountHigh);
    EXPECT_EQ(1u, reported.nAccountLowBit);

    TicketApi api;
    const uint32_t hValidation = api.Start(api.Make());
    TWexlaUserIdentity validated;
    memset(&validated, 0xEE, sizeof(validated));
    uint32_t nExtra = 99;
    EXPECT_EQ(eWexlaTicketOk, api.pfnPoll(hValidation, &validated, &nExtra, 0, 0, nullptr));
    EXPECT_EQ(0u, validated.nHeader);
    EXPECT_EQ(reported.nAccountHigh, validated.nAccountHigh);
    EXPECT_EQ(reported.nAccountLowBit, validated.nAccountLowBit);
    EXPECT_EQ(0u, nExtra);
    pfnCleanup(&record);

    // Without a client the ticket still validates, naming account 0.
    const uint32_t hUnbound = api.Start(api.Make());
    EXPECT_EQ(eWexlaTicketOk, api.pfnPoll(hUnbound, &validated, nullptr, 0, 0, nullptr));
    EXPECT_EQ(0u, validated.nAccountHigh);
    EXPECT_EQ(0u, validated.nAccountLowBit);
}
