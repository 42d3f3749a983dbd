#include "platform/net/netsearch.h"

// A page cannot send datagrams: a search there finds nothing, and the game
// joins the page's own host instead.

netSearch::~netSearch() = default;

bool netSearch::start(const netGuid&, const std::vector<uint32_t>&, uint16_t, int) {
    return false;
}

bool netSearch::startClaim(const netGuid&, const netGuid&, const std::vector<uint32_t>&, uint16_t, int) {
    return false;
}

bool netSearch::poll(std::vector<netHostAnswer>&, std::vector<netHostRank>*) {
    return false;
}

void netSearch::wait() const {}
