#pragma once
// A PSF as tarnctl prints it: every field in the program's words, a line each, or JSON;
// and the fields in which two PSFs differ.

#include <string>

class CPsf;

std::string PsfText(const CPsf& psf, bool json);
// The differing fields, a line each ("field: first -> second"), or JSON; *differ is
// true when there is any.
std::string PsfDiffText(const CPsf& first, const CPsf& second, bool json, bool* differ);
