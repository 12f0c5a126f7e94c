// The common controls of forms and pages, one header per family: labels
// (plain, value, tab), images and paint boxes, edits and drop-down lists,
// check and radio buttons.
#pragma once

#include "ui/Ucheckbox.h"
#include "ui/Uedit.h"
#include "ui/Uimage.h"
#include "ui/Ulabel.h"
