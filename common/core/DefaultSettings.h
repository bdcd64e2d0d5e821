// The settings file that ships with the product, and writing it on the
// first start.
#pragma once

#include <string_view>

#include "ConfigClass.h"
#include "MessageReporter.h"

namespace kivra {

// UTF-8 text with CR LF line ends.
std::string_view DefaultSettingsText();

// When the program's settings file does not exist yet, creates its folder
// and writes the shipped content. Reports a failure and goes on.
void SeedSettingsFile(const ConfigClass& config, MessageReporter& reporter);

}  // namespace kivra
