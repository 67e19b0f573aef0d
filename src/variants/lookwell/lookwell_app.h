// The Lookwell program's classes: the application object, the document and the
// configuration tree, bound by its one document type.
#pragma once

#include "config/module_variant.h"
#include "shell/config_tree_view.h"
#include "shell/configurator_app.h"
#include "shell/shell_document.h"

class CMyLookwellDoc final : public krn::shell::ShellDocument {
 public:
  using ShellDocument::ShellDocument;
};

class CMyLookwellView final : public krn::shell::ConfigTreeView {
 public:
  using ConfigTreeView::ConfigTreeView;
};

class CMyLookwellApp final : public krn::shell::ConfiguratorApp {
 public:
  CMyLookwellApp() : ConfiguratorApp(DocTemplate()) {}

  static krn::shell::DocTemplate DocTemplate() {
    krn::shell::DocTemplate t = krn::shell::DefaultDocTemplate(krn::MonitorVariant());
    t.createDocument = [](const krn::ModuleVariant& v, krn::UserInterface& ui) {
      return std::make_unique<CMyLookwellDoc>(v, ui);
    };
    t.createView = [](krn::shell::ShellDocument& doc, krn::UserInterface& ui, QWidget* parent) {
      return new CMyLookwellView(doc, ui, parent);
    };
    return t;
  }
};
