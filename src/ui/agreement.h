// The product's end-user agreement, shown by the agreement question.
#pragma once

// Plain ASCII, one paragraph per line, lines separated by CR LF.
extern const char AgreementText[];
