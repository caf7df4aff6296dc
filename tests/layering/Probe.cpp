// Compiled as part of one folder library with one header of another folder:
// it builds only when that folder may include the header.
#include CREST_PROBE_HEADER
