#pragma once
// A screen that a transition from the details screen hands the ticket to, by value.

#include "models/Ticket.h"

#include <optional>

namespace instala {

class TicketReceiver {
 public:
  virtual ~TicketReceiver() = default;
  virtual void receiveTicket(std::optional<Ticket> ticket) = 0;
};

}  // namespace instala
