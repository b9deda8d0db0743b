# bash completion for lectorix-convert                                -*- shell-script -*-
# Copyright 2026 the Lectorix developers. GPL-3.0-or-later.
#
# Works on its own; the bash-completion package is not needed.

# Puts into COMPREPLY the paths starting with $1 that are folders or documents
# lectorix-convert reads (PDF and .txt files, in any letter case).
_lectorix_convert_documents()
{
    local path
    local IFS=$'\n'
    COMPREPLY=()
    for path in $(compgen -f -- "$1"); do
        if [[ -d $path || ${path,,} == *.pdf || ${path,,} == *.txt ]]; then
            COMPREPLY+=("$path")
        fi
    done
}

_lectorix_convert()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    local prefix=

    # "--voice=gm" reaches us as "--voice" "=" "gm" where '=' breaks words (the default),
    # else as one word whose replies must keep the "--voice=" in front.
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $cur == --*=* ]]; then
        prev=${cur%%=*}
        prefix=$prev=
        cur=${cur#*=}
    fi

    local IFS=$'\n'
    case $prev in
        --title | --artist)
            COMPREPLY=()
            ;;
        -o | --output | --password-file | --pronunciations)
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -f -- "$cur"))
            ;;
        -d | --directory)
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -d -- "$cur"))
            ;;
        --voice)
            local identifiers
            identifiers=$("${COMP_WORDS[0]}" --list-voices 2>/dev/null | cut -f1)
            COMPREPLY=($(compgen -W "$identifiers" -- "$cur"))
            ;;
        --rate)
            COMPREPLY=($(compgen -W "$(seq -10 10)" -- "$cur"))
            ;;
        --volume)
            COMPREPLY=($(compgen -W "$(seq 0 10 100)" -- "$cur"))
            ;;
        --format)
            COMPREPLY=($(compgen -W $'mp3\nm4b\nopus' -- "$cur"))
            ;;
        --ocr)
            COMPREPLY=($(compgen -W $'auto\nalways\nnever' -- "$cur"))
            ;;
        --ocr-language)
            local languages
            languages=$(tesseract --list-langs 2>/dev/null | tail -n +2)
            COMPREPLY=($(compgen -W "$languages" -- "$cur"))
            ;;
        *)
            if [[ $cur == -* && -z $prefix ]]; then
                local options="--output= --directory= --voice= --rate= --volume=
--password-file= --title= --artist= --list-voices --quiet --verbatim --no-footnotes --split-chapters
--resume --pronunciations= --sentence-pause= --paragraph-pause= --heading-pause= --one-voice
--ocr= --ocr-language= --print-text --help --version --format= --no-cover
-o -d -q -h -"
                IFS=$' \n'
                COMPREPLY=($(compgen -W "$options" -- "$cur"))
                # An option that takes a value gets it right after its '='.
                if ((${#COMPREPLY[@]} == 1)) && [[ ${COMPREPLY[0]} == *= ]]; then
                    compopt -o nospace 2>/dev/null
                fi
            else
                compopt -o filenames 2>/dev/null
                _lectorix_convert_documents "$cur"
            fi
            return
            ;;
    esac
    if [[ -n $prefix ]]; then
        COMPREPLY=("${COMPREPLY[@]/#/$prefix}")
    fi
}

complete -F _lectorix_convert lectorix-convert
