// The Pacewell program's classes: the application object, the document and the
// configuration tree, bound by its one document type.
#pragma once

#include "config/module_variant.h"
#include "shell/config_tree_view.h"
#include "shell/configurator_app.h"
#include "shell/shell_document.h"

class CMyPacewellDoc final : public krn::shell::ShellDocument {
 public:
  using ShellDocument::ShellDocument;
};

class CMyPacewellView final : public krn::shell::ConfigTreeView {
 public:
  using ConfigTreeView::ConfigTreeView;
};

class CMyPacewellApp final : public krn::shell::ConfiguratorApp {
 public:
  CMyPacewellApp() : ConfiguratorApp(DocTemplate()) {}

  static krn::shell::DocTemplate DocTemplate() {
    krn::shell::DocTemplate t = krn::shell::DefaultDocTemplate(krn::ScannerVariant());
    t.createDocument = [](const krn::ModuleVariant& v, krn::UserInterface& ui) {
      return std::make_unique<CMyPacewellDoc>(v, ui);
    };
    t.createView = [](krn::shell::ShellDocument& doc, krn::UserInterface& ui, QWidget* parent) {
      return new CMyPacewellView(doc, ui, parent);
    };
    return t;
  }
};
