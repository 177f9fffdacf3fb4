// Commands on the machine and on whole instances: settings, facts, logins, faults, listings.
#include <cstdio>

#include "commands.h"
#include "facts.h"
#include "machine.h"
#include "sqltime.h"

namespace sqlsim {

using namespace sqlengine;

int report(const SqlError& error) {
  std::fprintf(stderr, "Msg %d, Level %d, State %d: %s\n", error.number, error.severity,
               error.state, error.text.c_str());
  return 1;
}

int usage(const std::string& text) {
  std::fprintf(stderr, "sqlsim: %s\n", text.c_str());
  return 2;
}

std::unique_ptr<Instance> openInstance(const Args& args) {
  SqlError error;
  std::unique_ptr<Instance> instance = Instance::open(args.words[0], error);
  if (!instance) report(error);
  return instance;
}

int cmdMachine(const Args& args) {
  MachineSettings settings = loadMachineSettings();
  for (const auto& [key, value] : args.settings) {
    auto n = toNumber(value);
    if (key == "name") {
      settings.machineName = value;
    } else if (key == "dmo-version" && n) {
      settings.dmoVersionMajor = static_cast<int>(*n);
    } else if (key == "dmo-version-minor" && n) {
      settings.dmoVersionMinor = static_cast<int>(*n);
    } else {
      return usage("unknown or malformed machine setting '" + key + "=" + value + "'");
    }
  }
  if (!args.settings.empty()) {
    if (SqlError e = saveMachineSettings(settings); !e.ok()) return report(e);
  }
  std::printf("name=%s\ndmo-version=%d\ndmo-version-minor=%d\n", machineName().c_str(),
              settings.dmoVersionMajor, settings.dmoVersionMinor);
  return 0;
}

int cmdCreate(const Args& args) {
  std::string text = args.option("version").value_or("8");
  auto version = toNumber(text);
  if (!version || *version < 6 || *version > 9)
    return usage("--version must be 6 to 9, not '" + text + "'");
  if (SqlError e = Instance::create(args.words[0], static_cast<int>(*version)); !e.ok())
    return report(e);
  std::printf("created %s\n", serverNameOf(args.words[0]).c_str());
  return 0;
}

int cmdRemove(const Args& args) {
  if (SqlError e = Instance::remove(args.words[0]); !e.ok()) return report(e);
  return 0;
}

int cmdList(const Args&) {
  for (const std::string& name : listInstances())
    std::printf("%s\t%s\n", name.c_str(), serverNameOf(name).c_str());
  return 0;
}

int cmdServer(const Args& args) {
  auto instance = openInstance(args);
  if (!instance) return 1;
  auto held = instance->hold(true);  // read, change and write as one
  ServerFacts facts;
  if (SqlError e = instance->facts(facts); !e.ok()) return report(e);
  for (const auto& [key, value] : args.settings) {
    const FactName* fact = findFact(key);
    if (fact == nullptr || !setFactValue(facts, *fact, value))
      return usage("unknown or malformed server fact '" + key + "=" + value + "'");
  }
  if (!args.settings.empty()) {
    if (SqlError e = instance->setFacts(facts); !e.ok()) return report(e);
  }
  for (const FactName& fact : kFactNames)
    std::printf("%s=%s\n", fact.name, factValue(facts, fact).c_str());
  return 0;
}

int cmdLogin(const Args& args) {
  auto instance = openInstance(args);
  if (!instance) return 1;
  auto held = instance->hold(true);  // read, change and write as one
  Login login;
  std::optional<Login> existing;
  if (SqlError e = instance->findLogin(args.words[1], existing); !e.ok()) return report(e);
  if (existing) {
    login = *existing;
  } else {
    login.name = args.words[1];
  }
  if (args.flag("windows")) login.windows = true;
  if (auto p = args.option("password")) login.password = *p;
  for (auto [name, field] :
       {std::pair{"sysadmin", &Login::sysadmin}, {"refused", &Login::refused}}) {
    if (auto v = args.option(name)) {
      auto on = toOnOff(*v);
      if (!on) return usage(std::string("--") + name + " takes yes or no, not '" + *v + "'");
      login.*field = *on;
    }
  }
  if (SqlError e = instance->setLogin(login); !e.ok()) return report(e);
  return 0;
}

int cmdLoginRemove(const Args& args) {
  auto instance = openInstance(args);
  if (!instance) return 1;
  if (SqlError e = instance->removeLogin(args.words[1]); !e.ok()) return report(e);
  return 0;
}

int cmdFault(const Args& args) {
  Fault fault;
  fault.kind = args.words[1];
  if (fault.kind != "connect" && fault.kind != "call" && fault.kind != "statement")
    return usage("a fault is connect, call or statement, not '" + fault.kind + "'");
  fault.target = args.words.size() > 2 ? args.words[2] : "";
  if (fault.kind == "call" && fault.target.empty())
    return usage("a call fault names the call, for example Server.Connect");
  struct NumberOption {
    const char* name;
    long long* value;
  };
  long long message = 0, hresult = 0, skip = 0, times = 0;
  for (NumberOption o : {NumberOption{"message", &message},
                         {"hresult", &hresult},
                         {"skip", &skip},
                         {"times", &times}}) {
    auto text = args.option(o.name);
    if (!text) continue;
    auto n = toNumber(*text);
    if (!n || *n < 0)
      return usage(std::string("--") + o.name + " takes a number, not '" + *text + "'");
    *o.value = *n;
  }
  if (fault.kind == "statement" && message == 0)
    return usage("a statement fault needs --message N");
  fault.message = static_cast<int>(message);
  fault.hresult = static_cast<std::int32_t>(static_cast<std::uint32_t>(hresult));
  fault.skip = static_cast<int>(skip);
  fault.times = static_cast<int>(times);
  fault.text = args.option("text").value_or("");
  auto instance = openInstance(args);
  if (!instance) return 1;
  if (SqlError e = instance->addFault(fault); !e.ok()) return report(e);
  std::printf("fault %lld armed\n", static_cast<long long>(fault.id));
  return 0;
}

int cmdFaults(const Args& args) {
  auto instance = openInstance(args);
  if (!instance) return 1;
  if (args.words.size() > 1) {
    if (args.words[1] != "clear")
      return usage("unexpected argument '" + args.words[1] + "'\nusage: faults INSTANCE [clear]");
    if (SqlError e = instance->clearFaults(); !e.ok()) return report(e);
    return 0;
  }
  std::vector<Fault> faults;
  if (SqlError e = instance->faults(faults); !e.ok()) return report(e);
  for (const Fault& f : faults) {
    std::printf("%lld\t%s\t%s\tmessage=%d\thresult=0x%08X\tskip=%d\ttimes=%d\t%s\n",
                static_cast<long long>(f.id), f.kind.c_str(), f.target.c_str(), f.message,
                static_cast<unsigned>(f.hresult), f.skip, f.times, f.text.c_str());
  }
  return 0;
}

}  // namespace sqlsim
