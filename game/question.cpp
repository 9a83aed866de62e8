#include "question.h"
