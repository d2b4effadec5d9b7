#include "ui/DirectoriesDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orva {

namespace {

using F = DirectoriesField;
constexpr int id(F field) { return static_cast<int>(field); }

}  // namespace

DirectoriesDialog::DirectoriesDialog(DirectoriesForm& form, QWidget* parent)
    : FormDialog(form, DirectoriesForm::title(), parent), form_(form) {
  auto* layout = new QVBoxLayout(this);
  struct Group {
    F edit;
    F browse;
  };
  constexpr Group kGroups[] = {
      {F::InstallationDirectory, F::BrowseInstallationDirectory},
      {F::FinishedCuttingSound, F::BrowseFinishedCuttingSound},
      {F::ProfileDirectory, F::BrowseProfileDirectory},
      {F::ProjectDirectory, F::BrowseProjectDirectory},
  };
  for (const Group& g : kGroups) {
    auto* box = new QGroupBox(uiText(DirectoriesForm::label(g.edit)), this);
    auto* line = new QHBoxLayout(box);
    auto* edit = static_cast<QLineEdit*>(makeFieldWidget(*form.info(id(g.edit)), box));
    // Room for a whole path.
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    line->addWidget(edit, 1);
    QWidget* browse = makeFieldWidget(*form.info(id(g.browse)), box);
    line->addWidget(browse);
    if (g.edit == F::FinishedCuttingSound) line->addWidget(makeFieldWidget(*form.info(id(F::Test)), box));
    layout->addWidget(box);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* done = static_cast<QPushButton*>(makeFieldWidget(*form.info(id(F::Done)), this));
  auto* byDefault = static_cast<QPushButton*>(makeFieldWidget(*form.info(id(F::Default)), this));
  done->setDefault(true);
  byDefault->setAutoDefault(false);
  buttons->addWidget(done);
  buttons->addWidget(byDefault);
  layout->addLayout(buttons);
  bind();
  for (const Group& g : kGroups) {
    const F field = g.edit;
    binder().setButtonAction(id(g.browse), [this, field] { form_.browse(field); });
  }
  binder().setButtonAction(id(F::Test), [this] { form_.test(); });
  binder().setButtonAction(id(F::Default), [this] { form_.pressDefault(); });
  binder().setButtonAction(id(F::Done), [this] { accept(); });
}

void DirectoriesDialog::reject() {
  form_.close();
  FormDialog::reject();
}

}  // namespace orva
