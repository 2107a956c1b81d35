// stb_image for the tests' own reading of reference pictures and captured
// frames, every format on: the engine keeps its picture readers to itself.
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
