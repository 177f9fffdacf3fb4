// The server's configuration values and name lists.
#include "facts.h"
#include "machine.h"
#include "session.h"

namespace sqldmo {

namespace {

using sqlengine::ServerFacts;

struct ConfigName {
  const char* name;
  bool advanced;
  int ServerFacts::*value;  // null: a fixed value
  int fixed;
};

// The configuration values the server answers for, as data.
constexpr ConfigName kConfigNames[] = {
    {"default sortorder id", true, &ServerFacts::sortOrderId, 0},
    {"Unicode locale id", true, &ServerFacts::unicodeLocaleId, 0},
    {"Unicode comparison style", true, &ServerFacts::unicodeComparisonStyle, 0},
    {"network packet size", true, nullptr, 4096},
    {"show advanced options", false, nullptr, 0},
};

class ConfigValue final : public com::Object<ISQLDMOConfigValue> {
 public:
  ConfigValue(SessionPtr session, std::string name, LONG value)
      : m_session(std::move(session)), m_name(std::move(name)), m_value(value) {}
  HRESULT GetName(BSTR* name) override {
    DMO_CONNECTED("ConfigValue.GetName");
    return putText(name, m_name);
  }
  HRESULT GetCurrentValue(LONG* value) override {
    DMO_CONNECTED("ConfigValue.GetCurrentValue");
    return putLong(value, m_value);
  }
  HRESULT GetRunningValue(LONG* value) override {
    DMO_CONNECTED("ConfigValue.GetRunningValue");
    return putLong(value, m_value);
  }

 private:
  void* interfaceFor(REFIID riid) override {
    return riid == IID_ISQLDMOConfigValue ? static_cast<ISQLDMOConfigValue*>(this) : nullptr;
  }
  const SessionPtr m_session;
  const std::string m_name;
  const LONG m_value;
};

class Configuration final : public com::Object<ISQLDMOConfiguration> {
 public:
  explicit Configuration(SessionPtr session) : m_session(std::move(session)) {}
  HRESULT GetShowAdvancedOptions(BOOL* show) override {
    DMO_CONNECTED("Configuration.GetShowAdvancedOptions");
    ServerFacts facts;
    if (auto e = m_session->instance()->facts(facts); !e.ok()) return failMessage(e);
    return putBool(show, facts.showAdvancedOptions);
  }
  HRESULT SetShowAdvancedOptions(BOOL show) override {
    DMO_CONNECTED("Configuration.SetShowAdvancedOptions");
    auto instance = m_session->instance();
    auto held = instance->hold(true);  // read and write as one change
    ServerFacts facts;
    if (auto e = instance->facts(facts); !e.ok()) return failMessage(e);
    facts.showAdvancedOptions = show != FALSE;
    if (auto e = instance->setFacts(facts); !e.ok()) return failMessage(e);
    return S_OK;
  }
  HRESULT GetConfigValueByName(LPCOLESTR name, ISQLDMOConfigValue** value) override {
    DMO_CONNECTED("Configuration.GetConfigValueByName");
    ServerFacts facts;
    if (auto e = m_session->instance()->facts(facts); !e.ok()) return failMessage(e);
    std::string wanted = com::toUtf8(com::wideView(name));
    for (const ConfigName& c : kConfigNames) {
      if (sqlengine::canonicalName(c.name) != sqlengine::canonicalName(wanted)) continue;
      if (c.advanced && !facts.showAdvancedOptions) break;
      LONG current = c.value != nullptr ? facts.*c.value
                     : c.advanced       ? c.fixed
                                        : LONG{facts.showAdvancedOptions};
      return putObject(value, com::make<ConfigValue>(m_session, c.name, current));
    }
    return failMessage(sqlengine::sqlMessage(sqlengine::kMsgConfigOptionNotFound, {wanted}));
  }

 private:
  void* interfaceFor(REFIID riid) override {
    return riid == IID_ISQLDMOConfiguration ? static_cast<ISQLDMOConfiguration*>(this) : nullptr;
  }
  const SessionPtr m_session;
};

class NameList final : public com::Object<ISQLDMONameList> {
 public:
  NameList(SessionPtr session, std::vector<std::string> names)
      : m_session(std::move(session)), m_names(std::move(names)) {}
  HRESULT GetCount(LONG* count) override {
    DMO_CHECK("ServerNames.GetCount");
    return putLong(count, static_cast<long long>(m_names.size()));
  }
  HRESULT GetItemByOrd(LONG ordinal, BSTR* name) override {
    DMO_CHECK("ServerNames.GetItemByOrd");
    if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= m_names.size())
      return ordinalOutOfRange(ordinal, "ServerNames");
    return putText(name, m_names[ordinal]);
  }

 private:
  void* interfaceFor(REFIID riid) override {
    return riid == IID_ISQLDMONameList ? static_cast<ISQLDMONameList*>(this) : nullptr;
  }
  const SessionPtr m_session;
  const std::vector<std::string> m_names;
};

}  // namespace

com::Ptr<ISQLDMOConfiguration> makeConfiguration(SessionPtr session) {
  return com::Ptr<ISQLDMOConfiguration>::adopt(
      com::make<Configuration>(std::move(session)).detach());
}

com::Ptr<ISQLDMONameList> makeNameList(SessionPtr session, std::vector<std::string> names) {
  return com::Ptr<ISQLDMONameList>::adopt(
      com::make<NameList>(std::move(session), std::move(names)).detach());
}

}  // namespace sqldmo
