#include "library.h"

#include <cstdio>
#include <cstdlib>

#include "catalog.h"
#include "records.h"

namespace hublor {
namespace {

constexpr pelkApiVersion kDefaultApiVersion{5, 3, 0};

bool older(const pelkApiVersion& a, const pelkApiVersion& b) {
  if (a.version != b.version) return a.version < b.version;
  if (a.release != b.release) return a.release < b.release;
  return a.level < b.level;
}

}  // namespace

Library& Library::instance() {
  static Library* library = new Library;  // never destroyed: calls may come during exit
  return *library;
}

int Library::setUp(const PelkEnvSetUp& env) {
  if (env.stVersion < 1 || env.stVersion > PELK_ENVSETUP_VERSION) return PELK_RC_BAD_VERSION;
  auto config = fieldText(env.pelkiConfig, sizeof env.pelkiConfig);
  if (!config || !fieldText(env.pelkiDir, sizeof env.pelkiDir) ||
      !fieldText(env.pelkiLog, sizeof env.pelkiLog)) {
    return PELK_RC_NAME_TOO_LONG;
  }
  std::lock_guard lock(m_mutex);
  if (m_setUp) return PELK_RC_BAD_SEQUENCE;
  ClientOptions options;
  if (int rc = readOptionFile(*config, options, nullptr); rc != PELK_RC_OK) return rc;
  std::shared_ptr<Store> store;
  try {
    store = Store::open(options.store.empty() ? defaultStore() : options.store);
  } catch (const StoreError&) {
    return PELK_RC_STORE_ERROR;
  }
  Faults& faults = Faults::instance();
  faults.clear(FaultSource::kOptionFile);
  for (const FaultRule& rule : options.faults) faults.arm(rule, FaultSource::kOptionFile);
  faults.watchFile(store->faultFile());
  m_store = std::move(store);
  m_options = std::move(options);
  m_optionFile = *config;
  m_setUp = true;
  return PELK_RC_OK;
}

int Library::cleanUp() {
  std::map<uint32_t, std::shared_ptr<Session>> sessions;
  {
    std::lock_guard lock(m_mutex);
    if (!m_setUp) return PELK_RC_NOT_SET_UP;
    sessions.swap(m_sessions);
    m_setUp = false;
    m_store.reset();
    Faults::instance().clear(FaultSource::kOptionFile);
    Faults::instance().watchFile({});
  }
  for (auto& [handle, session] : sessions) {
    std::lock_guard lock(session->m_mutex);  // waits for a call in progress
    session->rollBack();
  }
  return PELK_RC_OK;
}

int Library::init(uint32_t& handle, const pelkApiVersion& appVersion, const char* node,
                  const char* owner, const char* password, const char* configFile) {
  handle = 0;
  if (older(apiVersion(), appVersion)) return PELK_RC_DOWNLEVEL_API;
  ClientOptions options;
  std::string optionFile;
  {
    std::lock_guard lock(m_mutex);
    if (!m_setUp) return PELK_RC_NOT_SET_UP;
    options = m_options;
    optionFile = m_optionFile;
  }
  if (configFile != nullptr && *configFile != '\0') {
    options = ClientOptions{};
    optionFile = configFile;
    if (int rc = readOptionFile(optionFile, options, nullptr); rc != PELK_RC_OK) return rc;
  }
  auto nodeText = pointerText(node != nullptr && *node != '\0' ? node : options.nodeName.c_str(),
                              PELK_MAX_NODE_LENGTH);
  auto ownerText = pointerText(owner != nullptr ? owner : "", PELK_MAX_OWNER_LENGTH);
  std::optional<std::string> passwordText;
  if (password != nullptr && *password != '\0') {
    passwordText = pointerText(password, PELK_MAX_PASSWORD_LENGTH);
    if (!passwordText) return PELK_RC_NAME_TOO_LONG;
  }
  if (!nodeText || !ownerText) return PELK_RC_NAME_TOO_LONG;
  if (nodeText->empty()) return PELK_RC_NODE_UNKNOWN;
  return openSession(handle, options, optionFile, upperCase(*nodeText), *ownerText, passwordText);
}

int Library::openSession(uint32_t& handle, const ClientOptions& options,
                         const std::string& optionFile, const std::string& node,
                         const std::string& owner, std::optional<std::string> password) {
  std::shared_ptr<Store> store =
      Store::open(options.store.empty() ? defaultStore() : options.store);
  std::unique_ptr<Catalog> catalog = store->connect();
  bool generate = options.passwordAccess == PELK_PASSWD_GENERATE;
  if (!password && generate) password = store->keptPassword(node);
  auto known = findNode(*catalog, node);
  if (!known) return PELK_RC_NODE_UNKNOWN;
  if (!password || *password != known->password) return PELK_RC_BAD_PASSWORD;
  if (generate) store->keepPassword(node, *password);
  std::lock_guard lock(m_mutex);
  if (!m_setUp) return PELK_RC_NOT_SET_UP;
  handle = m_nextHandle++;
  m_sessions[handle] = std::make_shared<Session>(handle, node, std::move(store), std::move(catalog),
                                                 options, optionFile, owner, known->expired);
  return known->expired ? PELK_RC_PASSWORD_EXPIRED : PELK_RC_OK;
}

int Library::terminate(uint32_t handle) {
  std::shared_ptr<Session> session;
  {
    std::lock_guard lock(m_mutex);
    auto found = m_sessions.find(handle);
    if (found == m_sessions.end()) return PELK_RC_INVALID_HANDLE;
    session = found->second;
    m_sessions.erase(found);
  }
  std::lock_guard lock(session->m_mutex);
  session->rollBack();
  return PELK_RC_OK;
}

size_t Library::sessionCount() {
  std::lock_guard lock(m_mutex);
  return m_sessions.size();
}

std::shared_ptr<Session> Library::find(uint32_t handle) {
  std::lock_guard lock(m_mutex);
  auto found = m_sessions.find(handle);
  return found == m_sessions.end() ? nullptr : found->second;
}

int Library::queryCliOptions(optStruct& options) {
  std::lock_guard lock(m_mutex);
  if (!m_setUp) return PELK_RC_NOT_SET_UP;
  options.passwordAccess = static_cast<pelkUint8_t>(m_options.passwordAccess);
  std::string node = upperCase(m_options.nodeName);
  std::snprintf(options.nodeName, sizeof options.nodeName, "%s", node.c_str());
  return PELK_RC_OK;
}

pelkApiVersion Library::apiVersion() {
  {
    std::lock_guard lock(m_mutex);
    if (m_apiVersion) return *m_apiVersion;
  }
  const char* env = std::getenv("HUBLOR_API_VERSION");
  unsigned v = 0, r = 0, l = 0;
  if (env != nullptr && std::sscanf(env, "%u.%u.%u", &v, &r, &l) == 3) {
    return pelkApiVersion{static_cast<pelkUint16_t>(v), static_cast<pelkUint16_t>(r),
                          static_cast<pelkUint16_t>(l)};
  }
  return kDefaultApiVersion;
}

void Library::setApiVersion(std::optional<pelkApiVersion> version) {
  std::lock_guard lock(m_mutex);
  m_apiVersion = version;
}

}  // namespace hublor
