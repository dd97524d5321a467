# fish completion for rangecat

# __rangecat_wants_file: whether the word at the cursor may be the file:
# none is named before it. After --, every word is a file name, even one
# that begins with a dash.
function __rangecat_wants_file
    set -l options yes
    set -l words (commandline -opc)
    set -e words[1]
    while set -q words[1]
        set -l word $words[1]
        set -e words[1]
        if test -n "$options"
            switch $word
                case --
                    set options
                    continue
                case '--*=*' '-s?*' '-e?*'
                    continue
                case -s -e '--s*' '--e*'
                    set -e words[1]
                    continue
                case '-*'
                    continue
            end
        end
        return 1
    end
end

complete -c rangecat -f
complete -c rangecat -n __rangecat_wants_file -F
complete -c rangecat -s s -l start -x -d 'offset of the first byte written'
complete -c rangecat -s e -l end -x -d 'offset of the first byte not written'
