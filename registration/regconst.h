// The wizard's shared constants: registry section and value names of the product list, the
// query keys of the system information, the direct connection modes, the registration
// server, the default ports, the SOCKS refusal text and the launcher's file name.
//
// The server's host name and address are deployment data: these are their built-in values,
// and regconfig.h gives the values in force, which the environment may override.
#pragma once

namespace regconst {

inline constexpr char kGeneralSection[] = "General";
inline constexpr char kNumOfProds[] = "numOfProds";
inline constexpr char kOsNameKey[] = "q2";
inline constexpr char kOsVersionKey[] = "q3";
inline constexpr char kProdPrefix[] = "prod";
inline constexpr char kProdName[] = "prodName";
inline constexpr char kBiosProductKey[] = "q16";
inline constexpr char kBiosManufacturerKey[] = "q15";
inline constexpr char kBiosSerialKey[] = "q17";
inline constexpr char kDirect[] = "Direct";
inline constexpr char kDirectIP[] = "DirectIP";
inline constexpr char kServerHostName[] = "register.orbenix.example";
inline constexpr char kServerAddress[] = "192.0.2.80";
inline constexpr char kDefaultSocksPort[] = "1080";
inline constexpr char kDefaultHttpPort[] = "80";
inline constexpr char kSocksRefused[] = "The Socks server refused the request.";
// Programs carry no ".exe" here; the launcher is found by this name.
inline constexpr char kLauncherFileName[] = "tamrelStart";

}  // namespace regconst
