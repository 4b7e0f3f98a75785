// Former name of the block-end stage header; the declarations are in nc/block_end_position.h.
#pragma once
#include "nc/block_end_position.h"
