// Every function wexla.dll exports, in one table: the module-definition file,
// the export tests, the "Wrapper not implemented" definitions
// and the compatibility table all come from it.
//
//   X(name, argc, family, kind)
//   argc    32-bit arguments the caller pushes (WexlaPrintFile: the fixed three)
//   family  frame, startup, stdio, mount, find, apps, tickets, minidump,
//           interface, unimplemented
//   kind    IMPL       defined by its family's source file
//           NI_LAST    "Wrapper not implemented", record last, 32-bit result 0
//           NI_LAST64  the same with a 64-bit result 0
//           NI_FIRST   the same with the record first of three arguments
//
// The rows are read by cmake/exports.cmake too: keep one row per line.
#pragma once

#define WEXLA_EXPORTS(X) \
    X(WexlaClearError, 1, frame, IMPL) \
    X(WexlaAbortCall, 2, frame, IMPL) \
    X(WexlaWaitForResources, 2, frame, IMPL) \
    X(WexlaUnmountFilesystem, 2, frame, IMPL) \
    X(WexlaBlockingCall, 3, frame, IMPL) \
    X(WexlaProcessCall, 3, frame, IMPL) \
    X(WexlaCreateLogContext, 1, frame, IMPL) \
    X(WexlaLog, 2, frame, IMPL) \
    X(WexlaLogResourceLoadStarted, 1, frame, IMPL) \
    X(WexlaLogResourceLoadFinished, 1, frame, IMPL) \
    X(WexlaStartup, 2, startup, IMPL) \
    X(WexlaCleanup, 1, startup, IMPL) \
    X(WexlaGetCurrentAppId, 2, startup, IMPL) \
    X(WexlaGetCurrentCellID, 3, startup, IMPL) \
    X(WexlaGetLocalClientVersion, 3, startup, IMPL) \
    X(WexlaGetOfflineStatus, 2, startup, IMPL) \
    X(WexlaIsLoggedIn, 2, startup, IMPL) \
    X(WexlaGetVersion, 2, startup, IMPL) \
    X(WexlaOpenFile, 3, stdio, IMPL) \
    X(WexlaOpenFileEx, 4, stdio, IMPL) \
    X(WexlaOpenTmpFile, 1, stdio, IMPL) \
    X(WexlaCloseFile, 2, stdio, IMPL) \
    X(WexlaReadFile, 5, stdio, IMPL) \
    X(WexlaWriteFile, 5, stdio, IMPL) \
    X(WexlaSeekFile, 4, stdio, IMPL) \
    X(WexlaTellFile, 2, stdio, IMPL) \
    X(WexlaSizeFile, 2, stdio, IMPL) \
    X(WexlaGetc, 2, stdio, IMPL) \
    X(WexlaPutc, 3, stdio, IMPL) \
    X(WexlaPrintFile, 3, stdio, IMPL) \
    X(WexlaSetvBuf, 5, stdio, IMPL) \
    X(WexlaFlushFile, 2, stdio, IMPL) \
    X(WexlaMountAppFilesystem, 1, mount, IMPL) \
    X(WexlaMountFilesystem, 3, mount, IMPL) \
    X(WexlaUnmountAppFilesystem, 1, mount, IMPL) \
    X(WexlaFindFirst, 4, find, IMPL) \
    X(WexlaFindNext, 3, find, IMPL) \
    X(WexlaFindClose, 2, find, IMPL) \
    X(WexlaStat, 3, find, IMPL) \
    X(WexlaIsFileImmediatelyAvailable, 2, find, IMPL) \
    X(WexlaGetLocalFileCopy, 2, find, IMPL) \
    X(WexlaGetAppIds, 3, apps, IMPL) \
    X(WexlaGetAppStats, 2, apps, IMPL) \
    X(WexlaEnumerateApp, 3, apps, IMPL) \
    X(WexlaEnumerateAppDependency, 4, apps, IMPL) \
    X(WexlaIsAppSubscribed, 4, apps, IMPL) \
    X(WexlaCheckAppOwnership, 4, apps, IMPL) \
    X(WexlaGetAppUpdateStats, 4, apps, IMPL) \
    X(WexlaGetUser, 5, apps, IMPL) \
    X(WexlaLaunchApp, 4, apps, IMPL) \
    X(WexlaGetEncryptionKeyToSendToNewClient, 1, tickets, IMPL) \
    X(WexlaGetEncryptedUserIDTicket, 6, tickets, IMPL) \
    X(WexlaInitializeUserIDTicketValidator, 0, tickets, IMPL) \
    X(WexlaShutdownUserIDTicketValidator, 0, tickets, IMPL) \
    X(WexlaStartValidatingUserIDTicket, 4, tickets, IMPL) \
    X(WexlaProcessOngoingUserIDTicketValidation, 6, tickets, IMPL) \
    X(WexlaAbortOngoingUserIDTicketValidation, 1, tickets, IMPL) \
    X(WexlaOptionalCleanUpAfterClientHasDisconnected, 0, tickets, IMPL) \
    X(WexlaFindServersNumServers, 1, tickets, IMPL) \
    X(WexlaFindServersIterateServer, 4, tickets, IMPL) \
    X(WexlaFindServersGetErrorString, 0, tickets, IMPL) \
    X(WexlaMiniDumpInit, 0, minidump, IMPL) \
    X(WexlaWriteMiniDumpUsingExceptionInfoWithBuildId, 3, minidump, IMPL) \
    X(WexlaWriteMiniDumpUsingExceptionInfo, 2, minidump, IMPL) \
    X(WexlaWriteMiniDumpSetComment, 1, minidump, IMPL) \
    X(WexlaWriteMiniDumpFromAssert, 0, minidump, IMPL) \
    X(WexlaWriteMiniDumpWithAppID, 0, minidump, IMPL) \
    X(_f, 1, interface, IMPL) \
    X(CreateInterface, 2, interface, IMPL) \
    X(WexlaCreateCachePreloaders, 1, unimplemented, NI_LAST) \
    X(WexlaDeleteAccount, 1, unimplemented, NI_LAST) \
    X(WexlaForgetAllHints, 1, unimplemented, NI_LAST) \
    X(WexlaLogout, 1, unimplemented, NI_LAST) \
    X(WexlaNumAppsRunning, 1, unimplemented, NI_LAST) \
    X(WexlaPauseCachePreloading, 1, unimplemented, NI_LAST) \
    X(WexlaRefreshAccountInfo, 1, unimplemented, NI_LAST) \
    X(WexlaRequestEmailAddressVerificationEmail, 1, unimplemented, NI_LAST) \
    X(WexlaResumeCachePreloading, 1, unimplemented, NI_LAST) \
    X(WexlaShutdownEngine, 1, unimplemented, NI_LAST) \
    X(WexlaShutdownWexlaBridgeInterface, 1, unimplemented, NI_LAST) \
    X(WexlaStartEngine, 1, unimplemented, NI_LAST) \
    X(WexlaUninstall, 1, unimplemented, NI_LAST) \
    X(WexlaAckSubscriptionReceipt, 2, unimplemented, NI_LAST) \
    X(WexlaChangeEmailAddress, 2, unimplemented, NI_LAST) \
    X(WexlaChangeOfflineStatus, 2, unimplemented, NI_LAST) \
    X(WexlaDefragCaches, 2, unimplemented, NI_LAST) \
    X(WexlaFlushCache, 2, unimplemented, NI_LAST) \
    X(WexlaForceCellId, 2, unimplemented, NI_LAST) \
    X(WexlaGetAccountStatus, 2, unimplemented, NI_LAST) \
    X(WexlaGetCacheDefaultDirectory, 2, unimplemented, NI_LAST) \
    X(WexlaGetSubscriptionStats, 2, unimplemented, NI_LAST) \
    X(WexlaGetTotalUpdateStats, 2, unimplemented, NI_LAST) \
    X(WexlaGetUserType, 2, unimplemented, NI_LAST) \
    X(WexlaIsSecureComputer, 2, unimplemented, NI_LAST) \
    X(WexlaIsUsingSdkContentServer, 2, unimplemented, NI_LAST) \
    X(WexlaRefreshAccountInfoEx, 2, unimplemented, NI_LAST) \
    X(WexlaReleaseCacheFiles, 2, unimplemented, NI_LAST) \
    X(WexlaRequestAccountsByCdKeyEmail, 2, unimplemented, NI_LAST) \
    X(WexlaRequestAccountsByEmailAddressEmail, 2, unimplemented, NI_LAST) \
    X(WexlaSetCacheDefaultDirectory, 2, unimplemented, NI_LAST) \
    X(WexlaSetMaxStallCount, 2, unimplemented, NI_LAST) \
    X(WexlaSetNotificationCallback, 2, unimplemented, NI_LAST) \
    X(WexlaSetUser2, 2, unimplemented, NI_LAST) \
    X(WexlaSizeFile64, 2, unimplemented, NI_LAST64) \
    X(WexlaStartLoadingCache, 2, unimplemented, NI_LAST) \
    X(WexlaStopLoadingCache, 2, unimplemented, NI_LAST) \
    X(WexlaTellFile64, 2, unimplemented, NI_LAST64) \
    X(WexlaUnsubscribe, 2, unimplemented, NI_LAST) \
    X(WexlaUpdateAccountBillingInfo, 2, unimplemented, NI_LAST) \
    X(WexlaVerifyEmailAddress, 2, unimplemented, NI_LAST) \
    X(WexlaWaitForAppReadyToLaunch, 2, unimplemented, NI_LAST) \
    X(WexlaWasBlobRegistryDeleted, 2, unimplemented, NI_LAST) \
    X(WexlaChangeAccountName, 3, unimplemented, NI_LAST) \
    X(WexlaChangePassword, 3, unimplemented, NI_LAST) \
    X(WexlaEnumerateSubscription, 3, unimplemented, NI_LAST) \
    X(WexlaFindApp, 3, unimplemented, NI_LAST) \
    X(WexlaFindNext64, 3, unimplemented, NI_LAST) \
    X(WexlaGetAppCacheSize, 3, unimplemented, NI_LAST) \
    X(WexlaGetAppDir, 3, unimplemented, NI_LAST) \
    X(WexlaGetCachePercentFragmentation, 3, unimplemented, NI_LAST) \
    X(WexlaGetDepotParent, 3, unimplemented, NI_LAST) \
    X(WexlaGetFileAttributeFlags, 3, unimplemented, NI_LAST) \
    X(WexlaGetNumAccountsWithEmailAddress, 3, unimplemented, NI_LAST) \
    X(WexlaGetSubscriptionIds, 3, unimplemented, NI_LAST) \
    X(WexlaGetSubscriptionReceipt, 3, unimplemented, NI_LAST) \
    X(WexlaHintResourceNeed, 3, unimplemented, NI_LAST) \
    X(WexlaIsAccountNameInUse, 3, unimplemented, NI_LAST) \
    X(WexlaIsCacheLoadingEnabled, 3, unimplemented, NI_LAST) \
    X(WexlaLoadCacheFromDir, 3, unimplemented, NI_LAST) \
    X(WexlaMoveApp, 3, unimplemented, NI_LAST) \
    X(WexlaRefreshAccountInfo2, 3, unimplemented, NI_LAST) \
    X(WexlaRefreshLogin, 3, unimplemented, NI_LAST) \
    X(WexlaRemoveAppDependency, 3, unimplemented, NI_LAST) \
    X(WexlaRepairOrDecryptCaches, 3, unimplemented, NI_LAST) \
    X(WexlaRequestForgottenPasswordEmail, 3, unimplemented, NI_LAST) \
    X(WexlaSetAppCacheSize, 3, unimplemented, NI_LAST) \
    X(WexlaSetAppVersion, 3, unimplemented, NI_LAST) \
    X(WexlaSetUser, 3, unimplemented, NI_LAST) \
    X(WexlaStartEngineEx, 3, unimplemented, NI_FIRST) \
    X(WexlaStat64, 3, unimplemented, NI_LAST) \
    X(WexlaSubscribe, 3, unimplemented, NI_LAST) \
    X(WexlaUpdateSubscriptionBillingInfo, 3, unimplemented, NI_LAST) \
    X(WexlaVerifyPassword, 3, unimplemented, NI_LAST) \
    X(WexlaWaitForAppResources, 3, unimplemented, NI_LAST) \
    X(WexlaChangePersonalQA, 4, unimplemented, NI_LAST) \
    X(WexlaEnumerateAppLaunchOption, 4, unimplemented, NI_LAST) \
    X(WexlaEnumerateAppVersion, 4, unimplemented, NI_LAST) \
    X(WexlaEnumerateSubscriptionDiscount, 4, unimplemented, NI_LAST) \
    X(WexlaFindFirst64, 4, unimplemented, NI_LAST) \
    X(WexlaGetAppDLCStatus, 4, unimplemented, NI_LAST) \
    X(WexlaGetAppUserDefinedRecord, 4, unimplemented, NI_LAST) \
    X(WexlaGetContentServerInfo, 4, unimplemented, NI_LAST) \
    X(WexlaGetCurrentEmailAddress, 4, unimplemented, NI_LAST) \
    X(WexlaInsertAppDependency, 4, unimplemented, NI_LAST) \
    X(WexlaIsSubscribed, 4, unimplemented, NI_LAST) \
    X(WexlaLogin, 4, unimplemented, NI_LAST) \
    X(WexlaOpenFile64, 4, unimplemented, NI_LAST) \
    X(WexlaEnumerateSubscriptionDiscountQualifier, 5, unimplemented, NI_LAST) \
    X(WexlaGetAppDependencies, 5, unimplemented, NI_LAST) \
    X(WexlaGetAppPurchaseCountry, 5, unimplemented, NI_LAST) \
    X(WexlaGetCacheDecryptionKey, 5, unimplemented, NI_LAST) \
    X(WexlaGetCacheFilePath, 5, unimplemented, NI_LAST) \
    X(WexlaGetSponsorUrl, 5, unimplemented, NI_LAST) \
    X(WexlaGetSubscriptionPurchaseCountry, 5, unimplemented, NI_LAST) \
    X(WexlaIsFileNeededByCache, 5, unimplemented, NI_LAST) \
    X(WexlaSeekFile64, 5, unimplemented, NI_LAST) \
    X(WexlaChangeForgottenPassword, 6, unimplemented, NI_LAST) \
    X(WexlaEnumerateAppIcon, 6, unimplemented, NI_LAST) \
    X(WexlaGenerateSuggestedAccountNames, 6, unimplemented, NI_LAST) \
    X(WexlaGetAppUserDefinedInfo, 6, unimplemented, NI_LAST) \
    X(WexlaGetSubscriptionExtendedInfo, 6, unimplemented, NI_LAST) \
    X(WexlaIsFileNeededByApp, 6, unimplemented, NI_LAST) \
    X(WexlaLoadFileToApp, 7, unimplemented, NI_LAST) \
    X(WexlaLoadFileToCache, 7, unimplemented, NI_LAST) \
    X(WexlaCreateAccount, 8, unimplemented, NI_LAST)

// The exported data word, zero, never written by the library.
#define WEXLA_EXPORTED_DATA "g_dwDllEntryThreadId"
