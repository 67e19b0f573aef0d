# The words the help pages use for the monitor build.
set(KRN_HELP_PROGRAM "Lookwell")
set(KRN_HELP_EXT "lkw")
set(KRN_HELP_MODULE "Sentry")
set(KRN_HELP_MODE "Monitor")
set(KRN_HELP_MODULE_KIND "monitor")
set(KRN_HELP_OTHER_PROGRAM "Pacewell")
set(KRN_HELP_ROLE [=[the KRN-735 monitor module (Sentry). The monitor listens to an existing
KRN-735 serial I/O network and reports every input and output it hears to the ControlLogix
processor; it never drives the network]=])
set(KRN_HELP_OUTPUT_AREA "S.Data")
set(KRN_HELP_MODULE_LABEL "KRN735-Monitor(Line4), Configuration Signature (5e0c11a2)")
set(KRN_HELP_DELETE_RACK_MENU [=[<li><b>Delete Rack</b> removes the rack from the
configuration (<a href="tree.htm#delete-rack">more</a>).</li>]=])
set(KRN_HELP_DELETE_RACK [=[<h2 id="delete-rack">Delete Rack</h2>
<p>Removes the rack whose menu you opened. The racks after it move up one place and keep
their order. Because the ControlLogix addresses of all racks depend on each other,
<b>every ControlLogix address is cleared</b>: run Auto-allocate ControlLogix Addressing
again afterwards. When the configuration had complete addresses, Lookwell asks first
("This operation will clear all the current ControlLogix address information."); choose OK
to delete, Cancel to keep the rack. Export Tags keeps its state.</p>
<p>Use it to drop a card file the module heard but that you do not want in the
configuration, for example a rack that is being decommissioned.</p>]=])
set(KRN_HELP_RUNTIME_OPTIONS "")
set(KRN_HELP_RUNTIME_OPTIONS_DIALOG "")
set(KRN_HELP_INPUT_ONLY "")
