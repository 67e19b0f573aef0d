# The words the help pages use for the scanner build.
set(KRN_HELP_PROGRAM "Pacewell")
set(KRN_HELP_EXT "pcw")
set(KRN_HELP_MODULE "Pacer")
set(KRN_HELP_MODE "Scanner")
set(KRN_HELP_MODULE_KIND "scanner")
set(KRN_HELP_OTHER_PROGRAM "Lookwell")
