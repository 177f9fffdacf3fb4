// Inform messages and the controller base of the windowed program.
//
// A window never calls the engine itself: its page or view hands the work to its controller,
// and a controller that cannot do it sends an inform message up the chain of parent
// controllers (page -> window controller -> frame controller -> root) until one answers. The
// root, an application controller (dappctl.h), alone runs engine commands. Messages are
// synchronous and travel on the user-interface thread only; nothing here allocates.
#pragma once

#include <cstdint>

// Message ids.
enum DInformId : uint16_t {
  INFORM_NONE = 0,
  INFORM_DO_COMMAND = 1000,  // dataP: a commandInfo; answered by the root
};

// The data of INFORM_DO_COMMAND: a command number (the parser's ids: 1-6 backups, 48-53
// inactivations, 71 restore, 0 nothing) and its request record, owned by the sender.
struct commandInfo {
  uint32_t command = 0;
  void* parmsP = nullptr;
};

class DInformMsg {
 public:
  DInformMsg() = default;
  DInformMsg(uint16_t message, void* dataP) : m_message(message), m_dataP(dataP) {}
  virtual ~DInformMsg() = default;
  DInformMsg(const DInformMsg&) = default;
  DInformMsg& operator=(const DInformMsg&) = default;

  uint16_t getMessage() const { return m_message; }
  void setMessage(uint16_t message) { m_message = message; }
  void* getData() const { return m_dataP; }
  void setData(void* dataP) { m_dataP = dataP; }

 private:
  uint16_t m_message = 0;
  void* m_dataP = nullptr;
};

// The handler's answer: 0 handled or nothing to do, otherwise an agent return code.
class DInformReply {
 public:
  DInformReply() = default;
  explicit DInformReply(uint32_t result) : m_result(result) {}
  virtual ~DInformReply() = default;
  DInformReply(const DInformReply&) = default;
  DInformReply& operator=(const DInformReply&) = default;

  uint32_t getResult() const { return m_result; }
  void setResult(uint32_t result) { m_result = result; }

 private:
  uint32_t m_result = 0;
};

class DController {
 public:
  DController() = default;
  explicit DController(DController* parentP) : m_parentP(parentP) {}
  virtual ~DController() = default;
  DController(const DController&) = delete;
  DController& operator=(const DController&) = delete;

  // Default: forwards a copy of the message to the parent and answers its result; 0 without
  // a parent.
  virtual DInformReply cgListenToInforms(DInformMsg msg);
  virtual DController* getParent() { return m_parentP; }
  virtual DController* setParent(DController* parentP) { return m_parentP = parentP; }

 private:
  DController* m_parentP = nullptr;
};

// Stands outside the chain and answers every message with 0; it never runs a command.
class DInformer : public DController {
 public:
  DInformer() = default;
  DInformReply cgListenToInforms(DInformMsg) override { return DInformReply(0); }
};

// Sends a message to the controller and answers the reply's result (the senders' idiom).
uint32_t informController(DController* controllerP, uint16_t message, void* dataP);
