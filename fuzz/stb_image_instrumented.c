/* The image library's decoder compiled into the image fuzzer from the same header the
   system library is built from, so coverage guides the fuzzer into the decoders and the
   sanitizers see their reads; the engine itself links the system library. */
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include <stb_image.h>
