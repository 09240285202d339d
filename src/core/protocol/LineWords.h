#pragma once
// An exchange on the line in words, for the line monitor and verbose command-line runs:
// what the request asks ("Ping C", "Suspend all (broadcast)"), the bytes in hex and the
// verdict on the reply.

#include <cstddef>
#include <string>

#include "protocol/LineTap.h"

// The request in words; a frame too short to carry a command says so.
std::string DescribeRequest(const unsigned char* request, size_t length);
// The bytes as upper-case hex pairs separated by spaces.
std::string HexBytes(const unsigned char* bytes, size_t length);
std::string DescribeVerdict(const CLineExchange& exchange);
