#include "platform/UserPrompts.h"

#include "base/AppLog.h"

#include <atomic>

namespace {
class LoggingPrompts : public UserPrompts {
  public:
    void ShowMessage(const QString& text, Icon) override { LogWarnW("UserPrompts", text); }
};

LoggingPrompts g_fallback;
std::atomic<UserPrompts*> g_prompts{nullptr};
} // namespace

UserPrompts& Prompts() {
    UserPrompts* p = g_prompts.load();
    return p ? *p : g_fallback;
}

void SetUserPrompts(UserPrompts* prompts) {
    g_prompts.store(prompts);
}
