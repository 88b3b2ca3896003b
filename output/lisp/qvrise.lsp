;;; qvrise.lsp - companion commands for lettering converted by MIRTEX
