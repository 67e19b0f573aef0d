# The words the help pages use for the monitor build.
set(KRN_HELP_PROGRAM "Lookwell")
set(KRN_HELP_EXT "lkw")
set(KRN_HELP_MODULE "Sentry")
set(KRN_HELP_MODE "Monitor")
set(KRN_HELP_MODULE_KIND "monitor")
set(KRN_HELP_OTHER_PROGRAM "Pacewell")
