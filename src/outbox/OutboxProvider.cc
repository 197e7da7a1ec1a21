#include "outbox/OutboxProvider.h"

#include "ui/Application.h"

namespace instala::outbox {

std::shared_ptr<Outbox> applicationOutbox() {
  auto* provider = dynamic_cast<const OutboxProvider*>(ui::Application::shared().delegate().get());
  return provider ? provider->outbox() : nullptr;
}

}  // namespace instala::outbox
