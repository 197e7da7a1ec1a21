#pragma once
// One service order assigned to the technician. `date` ("yyyy-MM-dd") and
// `hour` ("HH:mm") stay the texts the server sent; screens parse them.

#include "models/Unit.h"

#include <vector>

namespace instala {

class TicketProtocol {
 public:
  virtual ~TicketProtocol() = default;
  virtual const std::optional<std::int64_t>& id() const = 0;
  virtual const std::optional<std::string>& title() const = 0;
  virtual const std::optional<std::string>& user() const = 0;
  virtual const std::optional<std::string>& comments() const = 0;
  virtual const std::optional<std::string>& client() const = 0;
  virtual const std::optional<std::string>& category() const = 0;
  virtual const std::optional<std::string>& date() const = 0;
  virtual const std::optional<std::string>& hour() const = 0;
  virtual const std::optional<std::string>& location() const = 0;
  virtual const std::optional<std::vector<Unit>>& units() const = 0;
};

class Ticket final : public TicketProtocol {
 public:
  struct Fields {
    std::optional<std::int64_t> id;
    std::optional<std::string> title;
    std::optional<std::string> user;
    std::optional<std::string> comments;
    std::optional<std::string> client;
    std::optional<std::string> category;
    std::optional<std::string> date;
    std::optional<std::string> hour;
    std::optional<std::string> location;
    std::optional<std::vector<Unit>> units;
    bool operator==(const Fields&) const = default;
  };

  Ticket() = default;
  explicit Ticket(Fields fields) : fields_(std::move(fields)) {}

  // The second form moves the texts out of a document not needed afterwards.
  static platform::Result<Ticket> decode(const Json& value);
  static platform::Result<Ticket> decode(Json&& value);
  Json encode() const;

  const std::optional<std::int64_t>& id() const override { return fields_.id; }
  const std::optional<std::string>& title() const override { return fields_.title; }
  const std::optional<std::string>& user() const override { return fields_.user; }
  const std::optional<std::string>& comments() const override { return fields_.comments; }
  const std::optional<std::string>& client() const override { return fields_.client; }
  const std::optional<std::string>& category() const override { return fields_.category; }
  const std::optional<std::string>& date() const override { return fields_.date; }
  const std::optional<std::string>& hour() const override { return fields_.hour; }
  const std::optional<std::string>& location() const override { return fields_.location; }
  const std::optional<std::vector<Unit>>& units() const override { return fields_.units; }

  // The only unit any screen shows: the first one, when there is one.
  const Unit* firstUnit() const { return fields_.units && !fields_.units->empty() ? &fields_.units->front() : nullptr; }

  bool operator==(const Ticket& other) const { return fields_ == other.fields_; }

 private:
  Fields fields_;
};

}  // namespace instala
