#pragma once
// The answer of the active and closed ticket lists.

#include "models/Ticket.h"

namespace instala {

class TicketsProtocol {
 public:
  virtual ~TicketsProtocol() = default;
  virtual const std::optional<std::vector<Ticket>>& tickets() const = 0;
};

class Tickets final : public TicketsProtocol {
 public:
  Tickets() = default;
  explicit Tickets(std::optional<std::vector<Ticket>> tickets) : tickets_(std::move(tickets)) {}

  // The second form moves the texts out of a document not needed afterwards.
  static platform::Result<Tickets> decode(const Json& value);
  static platform::Result<Tickets> decode(Json&& value);
  Json encode() const;

  const std::optional<std::vector<Ticket>>& tickets() const override { return tickets_; }
  bool operator==(const Tickets& other) const { return tickets_ == other.tickets_; }

 private:
  std::optional<std::vector<Ticket>> tickets_;
};

}  // namespace instala
