// One QApplication for all widget tests, on the offscreen platform, with
// the per-user settings in a folder of their own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    settings_ = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_->path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings_->path());
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override {
    app_.reset();
    settings_.reset();
  }

 private:
  int argc_ = 1;
  char name_[16] = "shell_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QTemporaryDir> settings_;
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
