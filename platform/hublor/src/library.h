// Process-wide state of the client library: the set-up, the open sessions, the reported
// interface version. The entry points (api.cpp) reach it through Library::instance().
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "hublorapi.h"
#include "options.h"
#include "session.h"
#include "store.h"

namespace hublor {

class Library {
 public:
  static Library& instance();

  int setUp(const PelkEnvSetUp& env);
  int cleanUp();
  int init(uint32_t& handle, const pelkApiVersion& appVersion, const char* node, const char* owner,
           const char* password, const char* configFile);
  int terminate(uint32_t handle);
  std::shared_ptr<Session> find(uint32_t handle);
  size_t sessionCount();
  int queryCliOptions(optStruct& options);

  pelkApiVersion apiVersion();
  void setApiVersion(std::optional<pelkApiVersion> version);

 private:
  int openSession(uint32_t& handle, const ClientOptions& options, const std::string& optionFile,
                  const std::string& node, const std::string& owner,
                  std::optional<std::string> password);

  std::mutex m_mutex;  // guards every field below
  bool m_setUp = false;
  ClientOptions m_options;
  std::string m_optionFile;
  std::shared_ptr<Store> m_store;  // the set-up's store, kept open while set up
  std::map<uint32_t, std::shared_ptr<Session>> m_sessions;
  uint32_t m_nextHandle = 1;
  std::optional<pelkApiVersion> m_apiVersion;
};

}  // namespace hublor
