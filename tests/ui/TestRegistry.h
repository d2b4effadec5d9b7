#pragma once

#include <QObject>

#include <memory>

// Each test class of this binary is made by a function of this shape; the
// main function lists them.
#define ORVA_REGISTER_UI_TEST(Name) \
  std::unique_ptr<QObject> make##Name() { return std::make_unique<Name>(); }
