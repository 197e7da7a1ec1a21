#pragma once
// The server operations, each named by the key under which its path is configured.

#include <array>
#include <string_view>

namespace instala {

enum class Endpoint { signIn, signOut, activeTickets, activeTicketsWithPage, closedTickets, postData, search };

// "activeTicketsWithPage" is configured but never requested: there is no paging.
inline constexpr std::array<Endpoint, 7> kAllEndpoints{Endpoint::signIn,        Endpoint::signOut,
                                                       Endpoint::activeTickets, Endpoint::activeTicketsWithPage,
                                                       Endpoint::closedTickets, Endpoint::postData,
                                                       Endpoint::search};

constexpr std::string_view endpointName(Endpoint endpoint) {
  switch (endpoint) {
    case Endpoint::signIn: return "signIn";
    case Endpoint::signOut: return "signOut";
    case Endpoint::activeTickets: return "activeTickets";
    case Endpoint::activeTicketsWithPage: return "activeTicketsWithPage";
    case Endpoint::closedTickets: return "closedTickets";
    case Endpoint::postData: return "postData";
    case Endpoint::search: return "search";
  }
  return "";
}

}  // namespace instala
