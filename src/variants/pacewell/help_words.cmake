# The words the help pages use for the scanner build.
set(KRN_HELP_PROGRAM "Pacewell")
set(KRN_HELP_EXT "pcw")
set(KRN_HELP_MODULE "Pacer")
set(KRN_HELP_MODE "Scanner")
set(KRN_HELP_MODULE_KIND "scanner")
set(KRN_HELP_OTHER_PROGRAM "Lookwell")
set(KRN_HELP_ROLE [=[the KRN-735 scanner module (Pacer). The scanner is the master of the
KRN-735 serial I/O network: it reads the inputs and drives the outputs of every card file
for the ControlLogix processor]=])
set(KRN_HELP_OUTPUT_AREA "O.Data")
set(KRN_HELP_MODULE_LABEL "KRN735-Scanner(Line4), Mode:All P-P per scan, Configuration Signature (5e0c11a2)")
set(KRN_HELP_DELETE_RACK_MENU "")
set(KRN_HELP_DELETE_RACK "")
set(KRN_HELP_RUNTIME_OPTIONS [=[<p>The module label also shows the runtime mode:
<i>All P-P per scan</i> or <i>One P-P per scan</i> (see
<a href="dialogs.htm#module-properties">Module Properties</a>).</p>]=])
set(KRN_HELP_RUNTIME_OPTIONS_DIALOG [=[<h3>Runtime Options</h3>
<ul>
<li><b>All Push/Pull cards per scan</b>: the scanner serves every push/pull card in each
scan of the serial network.</li>
<li><b>Scan One Push/Pull card per scan</b>: the scanner serves one push/pull card per scan,
taking turns; each scan is shorter, each push/pull card is served less often.</li>
</ul>
<p>The choice is stored in the configuration and travels with it to the module.</p>]=])
set(KRN_HELP_INPUT_ONLY [=[<p><b>Input Only</b>: check it to leave out the scanner's control
register and every output in O.Data, for a controller program that only reads the serial
inputs.</p>]=])
