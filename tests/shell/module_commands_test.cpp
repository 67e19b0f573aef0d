// The module commands and Export Tags in the desktop programs, end to end:
// the real main window, message boxes, path dialog, progress window, Export
// Tags dialog and file chooser, against krnsim on loopback TCP and the
// built-in SIM chassis, every dialog answered as a user would.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>

#include "config/dialogs/rack_properties_dialog.h"
#include "config/messages.h"
#include "link/link_texts.h"
#include "logix/export_tags_dialog.h"
#include "logix/tag_export.h"
#include "module_commands_fixture.h"
#include "shell/command_ids.h"
#include "support/krnsim_process.h"

namespace krn::shell::test {
namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Bytes(const std::string& text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

void ExpectMessage(const ShownMessage& shown, const QString& title, const QString& text,
                   QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) {
  EXPECT_EQ(shown.title, title);
  EXPECT_EQ(shown.text, text);
  EXPECT_EQ(shown.icon, icon) << shown.text.toStdString();
  EXPECT_EQ(shown.buttons, buttons) << shown.text.toStdString();
}

// A loopback port where nothing listens.
quint16 ClosedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(fd);
  return ntohs(address.sin_port);
}

constexpr auto kOkCancel = QMessageBox::Ok | QMessageBox::Cancel;

// Every occupied slot of the dialog's rack: the analog ones and slot B
// outputs, the others inputs (as DemoConfiguration sets them).
void SetDirections(RackPropertiesDialog* dialog, const RackRecord& rack) {
  for (int slot = 0; slot < kSlotsPerRack; ++slot) {
    QComboBox* box = dialog->DirectionBox(slot);
    ASSERT_EQ(box->isEnabled(), rack.DSlotLen[slot] != 0);
    if (box->isEnabled()) box->setCurrentIndex(rack.ASlotLen[slot] != 0 || slot == 1 ? 1 : 0);
  }
  dialog->accept();
}

TEST_F(ModuleCommandsTest, LookwellConfiguresTransfersAndExportsAgainstKrnsim) {
  krn::test::KrnsimProcess sim({"--variant", "monitor", "--slot", "3"});
  ASSERT_TRUE(sim.Start()) << sim.error();
  const ModuleVariant& variant = MonitorVariant();
  Start(variant);
  const QString modulePath = Q(sim.Path(3));
  EXPECT_EQ(PathPane(), QStringLiteral("RsLinx Path Not Set"));

  // Start Auto Configuration: the clearing prompt, then the path chosen in
  // the browser by the device's address.
  script.Press(QMessageBox::Ok);
  script.On<CPathSelectDlg>([&](CPathSelectDlg* d) {
    EXPECT_EQ(d->windowTitle(), QStringLiteral("RsLinx Path Selection"));
    EXPECT_FALSE(d->OkButton()->isEnabled());  // nothing chosen yet
    EXPECT_EQ(d->CancelButton()->text(), QStringLiteral("&Cancel"));
    ChooseModule(d, Q(sim.Address()), modulePath, false);
  });
  Run(kCmdStartAutoConfig);
  auto shown = TakeMessages();
  ASSERT_EQ(shown.size(), 1u);
  ExpectMessage(shown[0], QStringLiteral("Lookwell"), Q(msg::ClearModuleQuestion(variant)),
                QMessageBox::Warning, kOkCancel);
  const ConfigImage heard = DemoConfiguration(variant, false, false);
  EXPECT_EQ(Image().NumRacks, heard.NumRacks);
  EXPECT_EQ(EncodeImage(Image()), EncodeImage(heard));
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_NE(View().RackItem(2), nullptr);
  EXPECT_EQ(PathPane(), modulePath);
  EXPECT_FALSE(Frame().IsExportTagsEnabled());

  // Directions in Rack Properties, then Auto-allocate.
  for (int r = 0; r < static_cast<int>(Image().NumRacks); ++r) {
    const RackRecord rack = Image().Racks[static_cast<std::size_t>(r)];
    script.On<RackPropertiesDialog>([rack](RackPropertiesDialog* d) { SetDirections(d, rack); });
    View().setCurrentItem(View().RackItem(r));
    View().OnEditRackProperties();
    EXPECT_TRUE(script.Finished());
  }
  View().setCurrentItem(View().ModuleItem());
  View().OnAutoAllocate();
  const ConfigImage complete = DemoConfiguration(variant, true, true);
  EXPECT_EQ(EncodeImage(Image()), EncodeImage(complete));
  EXPECT_TRUE(Frame().IsExportTagsEnabled());

  // Download: the prompt only; the link is open, no path is asked again
  // and a successful download says nothing.
  script.Press(QMessageBox::Ok);
  Run(kCmdDownloadConfig);
  ASSERT_EQ(TakeMessages().size(), 1u);
  const ConfigImage downloaded = Image();
  EXPECT_EQ(downloaded.CheckPattern, variant.checkPattern);

  // New File forgets the configuration and the path.
  script.Press(QMessageBox::No);  // save changes?
  Run(kCmdFileNew);
  TakeMessages();
  EXPECT_EQ(Image().NumRacks, 0u);
  EXPECT_EQ(PathPane(), QStringLiteral("RsLinx Path Not Set"));
  EXPECT_FALSE(Frame().IsExportTagsEnabled());

  // Upload: the device is remembered; a double-click on the module accepts.
  script.On<CPathSelectDlg>([&](CPathSelectDlg* d) {
    EXPECT_EQ(d->m_rsWho->RememberedDevices(), QStringList{Q(sim.Address())});
    ChooseModule(d, QString(), modulePath, true);
  });
  Run(kCmdUploadConfig);
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(EncodeImage(Image()), EncodeImage(downloaded));
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_TRUE(Frame().IsExportTagsEnabled());
  EXPECT_NE(View().RackItem(2), nullptr);
  EXPECT_EQ(PathPane(), modulePath);

  // Export Tags: OK greyed until a file is chosen; the chooser adds ".csv".
  const QString chosen = dir.filePath(QStringLiteral("line4_tags"));
  script.On<ExportTagsDialog>([&](ExportTagsDialog* d) {
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Export Tags"));
    EXPECT_EQ(d->InputOnlyBox(), nullptr);
    EXPECT_TRUE(d->FileNameEdit()->isReadOnly());
    EXPECT_FALSE(d->OkButton()->isEnabled());
    QTest::mouseClick(d->SelectFileButton(), Qt::LeftButton);
    EXPECT_TRUE(d->OkButton()->isEnabled());
    QTest::mouseClick(d->OkButton(), Qt::LeftButton);
  });
  script.On<QFileDialog>([&](QFileDialog* d) {
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(d->nameFilters(), QStringList{QStringLiteral("Tag File (*.csv)")});
    TypeFileName(d, chosen);
  });
  Run(kCmdExportTags);
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(ReadAll(chosen + QStringLiteral(".csv")),
            Bytes(TagExportText(Image(), variant, {3, false})));
}

TEST_F(ModuleCommandsTest, PacewellReportsCancelsAndModuleErrorsUnderTheirTitles) {
  krn::test::KrnsimProcess sim(
      {"--variant", "scanner", "--slot", "5", "--scan-polls", "0", "--fail", "0x37:3:0x09:0x1234"});
  ASSERT_TRUE(sim.Start()) << sim.error();
  const ModuleVariant& variant = ScannerVariant();
  Start(variant);
  OpenConfiguration(QStringLiteral("line4.pcw"), DemoConfiguration(variant, true, true));
  const ConfigImage opened = Image();

  // Cancelling the path leaves everything as it was.
  script.On<CPathSelectDlg>([](CPathSelectDlg* d) { d->CancelButton()->click(); });
  script.Press(QMessageBox::Ok);
  Run(kCmdUploadConfig);
  auto shown = TakeMessages();
  ASSERT_EQ(shown.size(), 1u);
  ExpectMessage(shown[0], QStringLiteral("Pacewell"), Q(kOperationCanceled), QMessageBox::Critical,
                QMessageBox::Ok);
  EXPECT_EQ(PathPane(), QStringLiteral("RsLinx Path Not Set"));
  EXPECT_EQ(EncodeImage(Image()), EncodeImage(opened));
  EXPECT_FALSE(Doc().IsModified());

  // A write that the module refuses at its third chunk.
  script.Press(QMessageBox::Ok);
  const QString silent = QStringLiteral("127.0.0.1:%1").arg(ClosedPort());
  script.On<CPathSelectDlg>([&](CPathSelectDlg* d) {
    // A device that does not answer is shown so, and can be forgotten.
    CRSWho* rsWho = d->m_rsWho;
    ASSERT_TRUE(rsWho->AddDevice(silent));
    EXPECT_EQ(rsWho->Tree()->currentItem()->text(0), silent + QStringLiteral(" (not answering)"));
    EXPECT_FALSE(d->OkButton()->isEnabled());
    QTest::mouseClick(rsWho->RemoveButton(), Qt::LeftButton);
    EXPECT_TRUE(rsWho->RememberedDevices().isEmpty());
    EXPECT_EQ(rsWho->FindItem(QStringLiteral("ENET\\") + silent), nullptr);
    ChooseModule(d, Q(sim.Address()), Q(sim.Path(5)), false);
  });
  script.Press(QMessageBox::Ok);
  Run(kCmdDownloadConfig);
  shown = TakeMessages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].title, Q(WriteFailedTitle(variant)));
  EXPECT_EQ(shown[1].icon, QMessageBox::Critical);
  EXPECT_FALSE(shown[1].text.isEmpty());
  EXPECT_EQ(PathPane(), Q(sim.Path(5)));

  // An auto-scan that never completes, cancelled in the progress window.
  script.Press(QMessageBox::Ok);
  script.On<QProgressDialog>([](QProgressDialog* p) {
    EXPECT_EQ(p->windowTitle(), QStringLiteral("Pacewell"));
    EXPECT_TRUE(p->labelText().contains(QStringLiteral("s left")));
    QPushButton* cancel = p->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
  });
  script.Press(QMessageBox::Ok);
  Run(kCmdStartAutoConfig);
  shown = TakeMessages();
  ASSERT_EQ(shown.size(), 2u);
  ExpectMessage(shown[1], Q(variant.autoScanTimeoutTitle), Q(kOperationCanceled),
                QMessageBox::NoIcon, QMessageBox::Ok);
  EXPECT_EQ(Image().NumRacks, 0u);
  EXPECT_EQ(PathPane(), Q(sim.Path(5)));  // the auto-configuration keeps the link
  EXPECT_FALSE(Frame().IsExportTagsEnabled());
}

TEST_F(ModuleCommandsTest, PacewellExportsInputOnlyThroughTheSimDriver) {
  const ModuleVariant& variant = ScannerVariant();
  Start(variant);
  OpenConfiguration(QStringLiteral("line4.pcw"), DemoConfiguration(variant, true, true));
  ASSERT_TRUE(Frame().IsExportTagsEnabled());

  // An existing file is replaced only after the user agrees.
  const QString existing = dir.filePath(QStringLiteral("tags.csv"));
  {
    QFile old(existing);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
  }
  const QString simModule = QStringLiteral("SIM\\local\\Backplane\\4");
  script.On<CPathSelectDlg>([&](CPathSelectDlg* d) { ChooseModule(d, {}, simModule, true); });
  script.On<ExportTagsDialog>([&](ExportTagsDialog* d) {
    ASSERT_NE(d->InputOnlyBox(), nullptr);
    EXPECT_EQ(d->InputOnlyBox()->text(), QStringLiteral("&Input Only"));
    EXPECT_FALSE(d->InputOnlyBox()->isChecked());
    d->InputOnlyBox()->click();
    QTest::mouseClick(d->SelectFileButton(), Qt::LeftButton);
    EXPECT_EQ(d->FileNameEdit()->text(), existing);
    QTest::mouseClick(d->OkButton(), Qt::LeftButton);
  });
  script.On<QFileDialog>([&](QFileDialog* d) { TypeFileName(d, existing); });
  script.Press(QMessageBox::Yes);  // replace it?
  Run(kCmdExportTags);
  EXPECT_EQ(TakeMessages().size(), 1u);
  EXPECT_EQ(PathPane(), simModule);
  EXPECT_EQ(ReadAll(existing), Bytes(TagExportText(Image(), variant, {4, true})));

  // A file that cannot be created: the message, nothing written.
  const QString unreachable = dir.filePath(QStringLiteral("no-such-folder/tags.csv"));
  app->fileChooser = [&](const FileDialogRequest&, QWidget*) { return unreachable; };
  script.On<ExportTagsDialog>([](ExportTagsDialog* d) {
    QTest::mouseClick(d->SelectFileButton(), Qt::LeftButton);
    QTest::mouseClick(d->OkButton(), Qt::LeftButton);
  });
  script.Press(QMessageBox::Ok);
  Run(kCmdExportTags);
  auto shown = TakeMessages();
  ASSERT_EQ(shown.size(), 1u);
  ExpectMessage(shown[0], QStringLiteral("Pacewell"),
                QStringLiteral("Unable to Open Tag Export File"), QMessageBox::NoIcon,
                QMessageBox::Ok);
  EXPECT_FALSE(QFile::exists(unreachable));
}

TEST_F(ModuleCommandsTest, IncompleteConfigurationsAreRefusedBeforeAnyPathIsAsked) {
  const ModuleVariant& variant = MonitorVariant();
  Start(variant);
  const QString title = QStringLiteral("Lookwell");
  struct Case {
    const char* name;
    bool open, directions;
    QString refusal;
  };
  const Case cases[] = {
      {"new configuration", false, false, Q(msg::kConfigurationEmpty)},
      {"slots without direction", true, false, Q(msg::kDirectionsMissing)},
      {"slots without address", true, true, Q(msg::AddressesMissing(variant))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.open)
      OpenConfiguration(QStringLiteral("incomplete.lkw"),
                        DemoConfiguration(variant, c.directions, false));
    script.Press(QMessageBox::Ok);
    Run(kCmdDownloadConfig);
    // Export Tags asks the same, except of an empty configuration.
    if (c.open) {
      script.Press(QMessageBox::Cancel);
      Frame().OnExportTags();
      EXPECT_TRUE(script.Finished());
    }
    const auto shown = TakeMessages();
    ASSERT_EQ(shown.size(), c.open ? 2u : 1u);
    for (const ShownMessage& m : shown)
      ExpectMessage(m, title, c.refusal, QMessageBox::NoIcon, kOkCancel);
    EXPECT_EQ(PathPane(), QStringLiteral("RsLinx Path Not Set"));
    EXPECT_FALSE(Frame().Link()->isOpen());
  }
}

}  // namespace
}  // namespace krn::shell::test
