// The method tables of the four interface objects, in order. Each later
// version keeps the earlier version's positions and appends new ones:
//
//   version 003: positions 1 to 122                 WEXLA_SLOTS_003
//   version 004: 003, then 123 to 128                WEXLA_SLOTS_004
//   version 005: 004, then 129 to 135                WEXLA_SLOTS_005
//   version 006: 005, then 136 to 150 and 151        WEXLA_SLOTS_006
//
// Positions 1 to 150 of version 006 are IWexlaInterface; 151 belongs to the
// object's class alone. Every entry is X(how, Method):
//   SELF   a method of the object itself: position 1, where MSVC puts the
//          (one-slot) deleting destructor
//   FWD    forwards its arguments unchanged to the entry point "Wexla" + Method
//          and returns its result; the method takes exactly that entry point's
//          parameters
//   ADAPT  the version's own form of the method (interface_objects.cpp): its
//          arguments differ from the entry point's, or changed between versions
//   LOG    only writes "Wrapper not implemented:" and its own name to the
//          debugger stream
// Positions 12, 24 and 44 reach entry points that share one body, as do 55 and
// 56, and 57 and 58 (frame_exports.cpp); each position still takes and removes
// its own arguments.
#pragma once

#define WEXLA_SLOTS_003(X) \
    X(SELF, Destructor)                            /*   1 */ \
    X(FWD, ChangePassword)                         /*   2 */ \
    X(FWD, GetCurrentEmailAddress)                 /*   3 */ \
    X(FWD, ChangePersonalQA)                       /*   4 */ \
    X(FWD, ChangeEmailAddress)                     /*   5 */ \
    X(FWD, VerifyEmailAddress)                     /*   6 */ \
    X(FWD, RequestEmailAddressVerificationEmail)   /*   7 */ \
    X(FWD, ChangeAccountName)                      /*   8 */ \
    X(FWD, MountAppFilesystem)                     /*   9 */ \
    X(FWD, UnmountAppFilesystem)                   /*  10 */ \
    X(FWD, MountFilesystem)                        /*  11 */ \
    X(FWD, UnmountFilesystem)                      /*  12 */ \
    X(FWD, Stat)                                   /*  13 */ \
    X(FWD, SetvBuf)                                /*  14 */ \
    X(FWD, FlushFile)                              /*  15 */ \
    X(FWD, OpenFile)                               /*  16 */ \
    X(ADAPT, OpenFileEx)                           /*  17 */ \
    X(FWD, OpenTmpFile)                            /*  18 */ \
    X(FWD, ClearError)                             /*  19 */ \
    X(FWD, GetVersion)                             /*  20 */ \
    X(FWD, GetOfflineStatus)                       /*  21 */ \
    X(FWD, ChangeOfflineStatus)                    /*  22 */ \
    X(FWD, ProcessCall)                            /*  23 */ \
    X(FWD, AbortCall)                              /*  24 */ \
    X(FWD, BlockingCall)                           /*  25 */ \
    X(FWD, SetMaxStallCount)                       /*  26 */ \
    X(FWD, CloseFile)                              /*  27 */ \
    X(FWD, ReadFile)                               /*  28 */ \
    X(FWD, WriteFile)                              /*  29 */ \
    X(FWD, Getc)                                   /*  30 */ \
    X(FWD, Putc)                                   /*  31 */ \
    X(FWD, SeekFile)                               /*  32 */ \
    X(FWD, TellFile)                               /*  33 */ \
    X(FWD, SizeFile)                               /*  34 */ \
    X(FWD, FindFirst)                              /*  35 */ \
    X(FWD, FindNext)                               /*  36 */ \
    X(FWD, FindClose)                              /*  37 */ \
    X(FWD, GetLocalFileCopy)                       /*  38 */ \
    X(FWD, IsFileImmediatelyAvailable)             /*  39 */ \
    X(FWD, HintResourceNeed)                       /*  40 */ \
    X(FWD, ForgetAllHints)                         /*  41 */ \
    X(FWD, PauseCachePreloading)                   /*  42 */ \
    X(FWD, ResumeCachePreloading)                  /*  43 */ \
    X(FWD, WaitForResources)                       /*  44 */ \
    X(ADAPT, StartEngine)                          /*  45 */ \
    X(FWD, ShutdownEngine)                         /*  46 */ \
    X(FWD, Startup)                                /*  47 */ \
    X(FWD, Cleanup)                                /*  48 */ \
    X(FWD, NumAppsRunning)                         /*  49 */ \
    X(FWD, CreateAccount)                          /*  50 */ \
    X(FWD, GenerateSuggestedAccountNames)          /*  51 */ \
    X(FWD, IsLoggedIn)                             /*  52 */ \
    X(FWD, Logout)                                 /*  53 */ \
    X(FWD, IsSecureComputer)                       /*  54 */ \
    X(FWD, CreateLogContext)                       /*  55 */ \
    X(FWD, Log)                                    /*  56 */ \
    X(FWD, LogResourceLoadStarted)                 /*  57 */ \
    X(FWD, LogResourceLoadFinished)                /*  58 */ \
    X(FWD, RefreshLogin)                           /*  59 */ \
    X(FWD, VerifyPassword)                         /*  60 */ \
    X(FWD, GetUserType)                            /*  61 */ \
    X(FWD, GetAppStats)                            /*  62 */ \
    X(FWD, IsAccountNameInUse)                     /*  63 */ \
    X(FWD, GetAppIds)                              /*  64 */ \
    X(FWD, GetSubscriptionStats)                   /*  65 */ \
    X(ADAPT, RefreshAccountInfoEx)                 /*  66 */ \
    X(FWD, Subscribe)                              /*  67 */ \
    X(FWD, Unsubscribe)                            /*  68 */ \
    X(FWD, GetSubscriptionReceipt)                 /*  69 */ \
    X(FWD, GetAccountStatus)                       /*  70 */ \
    X(FWD, SetUser)                                /*  71 */ \
    X(FWD, GetUser)                                /*  72 */ \
    X(FWD, Login)                                  /*  73 */ \
    X(FWD, AckSubscriptionReceipt)                 /*  74 */ \
    X(FWD, IsAppSubscribed)                        /*  75 */ \
    X(FWD, GetSubscriptionIds)                     /*  76 */ \
    X(FWD, EnumerateSubscription)                  /*  77 */ \
    X(FWD, EnumerateSubscriptionDiscount)          /*  78 */ \
    X(FWD, EnumerateSubscriptionDiscountQualifier) /*  79 */ \
    X(FWD, EnumerateApp)                           /*  80 */ \
    X(FWD, EnumerateAppLaunchOption)               /*  81 */ \
    X(FWD, DeleteAccount)                          /*  82 */ \
    X(FWD, EnumerateAppIcon)                       /*  83 */ \
    X(FWD, LaunchApp)                              /*  84 */ \
    X(FWD, GetCacheFilePath)                       /*  85 */ \
    X(FWD, EnumerateAppVersion)                    /*  86 */ \
    X(FWD, EnumerateAppDependency)                 /*  87 */ \
    X(FWD, StartLoadingCache)                      /*  88 */ \
    X(FWD, InsertAppDependency)                    /*  89 */ \
    X(FWD, RemoveAppDependency)                    /*  90 */ \
    X(FWD, FindApp)                                /*  91 */ \
    X(ADAPT, GetAppDependencies)                   /*  92 */ \
    X(FWD, IsSubscribed)                           /*  93 */ \
    X(FWD, GetAppUserDefinedInfo)                  /*  94 */ \
    X(FWD, WaitForAppReadyToLaunch)                /*  95 */ \
    X(FWD, IsCacheLoadingEnabled)                  /*  96 */ \
    X(FWD, StopLoadingCache)                       /*  97 */ \
    X(FWD, GetEncryptedUserIDTicket)               /*  98 */ \
    X(FWD, FlushCache)                             /*  99 */ \
    X(FWD, RepairOrDecryptCaches)                  /* 100 */ \
    X(FWD, LoadCacheFromDir)                       /* 101 */ \
    X(FWD, GetCacheDefaultDirectory)               /* 102 */ \
    X(FWD, SetCacheDefaultDirectory)               /* 103 */ \
    X(FWD, GetAppDir)                              /* 104 */ \
    X(FWD, MoveApp)                                /* 105 */ \
    X(FWD, GetAppCacheSize)                        /* 106 */ \
    X(FWD, SetAppCacheSize)                        /* 107 */ \
    X(FWD, SetAppVersion)                          /* 108 */ \
    X(FWD, Uninstall)                              /* 109 */ \
    X(FWD, SetNotificationCallback)                /* 110 */ \
    X(FWD, ChangeForgottenPassword)                /* 111 */ \
    X(FWD, RequestForgottenPasswordEmail)          /* 112 */ \
    X(FWD, RequestAccountsByEmailAddressEmail)     /* 113 */ \
    X(FWD, RequestAccountsByCdKeyEmail)            /* 114 */ \
    X(FWD, GetNumAccountsWithEmailAddress)         /* 115 */ \
    X(FWD, UpdateAccountBillingInfo)               /* 116 */ \
    X(FWD, UpdateSubscriptionBillingInfo)          /* 117 */ \
    X(FWD, GetSponsorUrl)                          /* 118 */ \
    X(FWD, GetContentServerInfo)                   /* 119 */ \
    X(FWD, GetAppUpdateStats)                      /* 120 */ \
    X(FWD, GetTotalUpdateStats)                    /* 121 */ \
    X(FWD, CreateCachePreloaders)                  /* 122 */

#define WEXLA_SLOTS_004(X) \
    X(LOG, Win32SetMiniDumpComment)                /* 123 */ \
    X(LOG, Win32SetMiniDumpSourceControlId)        /* 124 */ \
    X(LOG, Win32SetMiniDumpEnableFullMemory)       /* 125 */ \
    X(LOG, Win32WriteMiniDump)                     /* 126 */ \
    X(FWD, GetCurrentAppId)                        /* 127 */ \
    X(FWD, GetAppPurchaseCountry)                  /* 128 */

#define WEXLA_SLOTS_005(X) \
    X(FWD, GetLocalClientVersion)                  /* 129 */ \
    X(ADAPT, IsFileNeededByCache)                  /* 130 */ \
    X(ADAPT, LoadFileToCache)                      /* 131 */ \
    X(FWD, GetCacheDecryptionKey)                  /* 132 */ \
    X(FWD, GetSubscriptionExtendedInfo)            /* 133 */ \
    X(FWD, GetSubscriptionPurchaseCountry)         /* 134 */ \
    X(FWD, GetAppUserDefinedRecord)                /* 135 */

#define WEXLA_SLOTS_006(X) \
    X(LOG, FindServersNumServers)                  /* 136 */ \
    X(LOG, FindServersIterateServer)               /* 137 */ \
    X(LOG, FindServersGetErrorString)              /* 138 */ \
    X(FWD, CheckAppOwnership)                      /* 139 */ \
    X(FWD, GetCachePercentFragmentation)           /* 140 */ \
    X(FWD, DefragCaches)                           /* 141 */ \
    X(ADAPT, IsFileNeededByApp)                    /* 142 */ \
    X(FWD, WaitForAppResources)                    /* 143 */ \
    X(FWD, ForceCellId)                            /* 144 */ \
    X(FWD, GetAppDLCStatus)                        /* 145 */ \
    X(FWD, StartEngineEx)                          /* 146 */ \
    X(FWD, IsUsingSdkContentServer)                /* 147 */ \
    X(FWD, GetDepotParent)                         /* 148 */ \
    X(FWD, GetCurrentCellID)                       /* 149 */ \
    X(ADAPT, ReservedReturnsOne)                   /* 150 */ \
    X(FWD, SetUser2)                               /* 151 */
