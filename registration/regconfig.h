// Deployment data of the wizard that a build or an installation chooses: the registration
// gateway's host name and address, the registry key name of the product's own section, and the
// product customisation variant. Each has a built-in value and may be overridden by an
// environment variable (tests point the gateway at loopback this way):
//   TAMREL_SERVER_HOST      registration gateway host name   (built in: regconst.h)
//   TAMREL_SERVER_ADDRESS   registration gateway IPv4 address (built in: regconst.h)
//   TAMREL_PRODUCT_SECTION  the product's registry section    (built in: "ZARNAKSQL")
//   TAMREL_WEB_ADDRESS      the registration web address, host and path (built in: string 307)
//   TAMREL_VARIANT          customisation variant: orbenix, veltrona, workgroup, fixed, fixed2
//                           (built in: orbenix; regcustom.h)
#pragma once

#include <string>

enum class RegSetting { ServerHost, ServerAddress, ProductSection, Variant, WebAddress };

// The value in force: the environment variable when set and not empty, else the built-in one
// ("" for the web address, whose built-in value is a string of the resources).
std::string regSetting(RegSetting which);
